#include "object_names.hpp"

#include <openssl/asn1.h>
#include <openssl/objects.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "pellamar/readers.hpp"

namespace {

constexpr auto DefaultDumpasn1File = "/etc/dumpasn1/dumpasn1.cfg";

bool exists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

// The file that dumpasn1 itself would read, or nothing.
std::optional<std::string> dumpasn1File() {
  if (const char* chosen = std::getenv("PELLAMAR_DUMPASN1_CFG")) {
    return *chosen == '\0' ? std::nullopt : std::optional<std::string>(chosen);
  }
  std::vector<std::string> candidates;
  if (const char* directory = std::getenv("DUMPASN1_PATH")) {
    candidates.push_back(std::string(directory) + "/dumpasn1.cfg");
  }
  if (const char* home = std::getenv("HOME")) {
    candidates.push_back(std::string(home) + "/.dumpasn1.cfg");
  }
  candidates.emplace_back(DefaultDumpasn1File);
  for (const std::string& path : candidates) {
    if (exists(path)) {
      return path;
    }
  }
  return std::nullopt;
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The contents octets of an "OID = " value: arcs separated by blanks, as
// today's files write them, or the DER octets in hexadecimal, as older
// ones did ("06 03 55 04 03").
std::optional<std::string> contentsOf(std::string_view value) {
  pellamar::ObjectIdentifier identifier;
  const bool der = value.starts_with("06 ");
  const auto error = der ? pellamar::readOctetText(value, pellamar::OctetText::Hex, true,
                                                   pellamar::Reading::Strict, identifier)
                         : pellamar::readBlankArcs(value, identifier);
  if (error) {
    return std::nullopt;
  }
  const auto octets = identifier.octets();
  return std::string(octets.begin(), octets.end());
}

struct ObjectDeleter {
  void operator()(ASN1_OBJECT* object) const { ASN1_OBJECT_free(object); }
};

// OpenSSL's identifier for `nid`, as contents octets; empty when it has
// none.
std::string opensslContents(int nid) {
  const ASN1_OBJECT* object = OBJ_nid2obj(nid);
  if (object == nullptr || OBJ_length(object) == 0) {
    return {};
  }
  const unsigned char* data = OBJ_get0_data(object);
  return std::string(data, data + OBJ_length(object));
}

}  // namespace

ObjectNames::ObjectNames(Warnings& warnings) : warnings_(warnings) {}

void ObjectNames::loadDumpasn1() {
  if (loaded_) {
    return;
  }
  loaded_ = true;
  if (const auto path = dumpasn1File()) {
    readDumpasn1(*path);
  }
}

void ObjectNames::readDumpasn1(const std::string& path) {
  std::ifstream file(path);
  if (!file) {
    warnings_.warn(path + ": cannot be read; names come from OpenSSL alone");
    return;
  }
  std::string line;
  long number = 0;
  long firstDamaged = 0;
  long damaged = 0;
  std::optional<std::string> contents;
  bool entryOpen = false;
  while (std::getline(file, line)) {
    ++number;
    const std::string_view text = trimmed(line);
    if (text.empty() || text.front() == '#') {
      continue;
    }
    const std::size_t equals = text.find('=');
    const std::string_view attribute =
        equals == std::string_view::npos ? text : trimmed(text.substr(0, equals));
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view{} : trimmed(text.substr(equals + 1));
    // "Warning" stands alone: dumpasn1 warns when it meets the identifier.
    bool understood = equals != std::string_view::npos || attribute == "Warning";
    if (attribute == "OID") {
      contents = contentsOf(value);
      entryOpen = true;
      understood = contents.has_value();
    } else if (attribute == "Description" && entryOpen) {
      if (contents && !value.empty()) {
        descriptions_.try_emplace(*contents, value);
        described_.emplace(value, *contents);
      }
      understood = !value.empty();
    }
    if (!understood && damaged++ == 0) {
      firstDamaged = number;
    }
  }
  if (file.bad()) {
    warnings_.warn(path + ": cannot be read to its end; the names before are used");
  } else if (damaged > 0) {
    warnings_.warn(path + ":" + std::to_string(firstDamaged) +
                   ": not an entry of dumpasn1's form, nor are " + std::to_string(damaged - 1) +
                   " more lines; the other names are used");
  }
}

std::optional<ObjectName> ObjectNames::nameOf(std::span<const std::uint8_t> contents) {
  const std::unique_ptr<ASN1_OBJECT, ObjectDeleter> object(
      ASN1_OBJECT_create(NID_undef, const_cast<unsigned char*>(contents.data()),
                         static_cast<int>(contents.size()), nullptr, nullptr));
  if (object) {
    const int nid = OBJ_obj2nid(object.get());
    const char* shortName = nid == NID_undef ? nullptr : OBJ_nid2sn(nid);
    if (shortName != nullptr) {
      const char* longName = OBJ_nid2ln(nid);
      return ObjectName{shortName, longName != nullptr ? longName : shortName};
    }
  }
  loadDumpasn1();
  const auto found = descriptions_.find(std::string(contents.begin(), contents.end()));
  if (found == descriptions_.end()) {
    return std::nullopt;
  }
  return ObjectName{found->second, found->second};
}

std::vector<std::string> ObjectNames::identifiersNamed(std::string_view name) {
  std::vector<std::string> found;
  const auto add = [&found](std::string contents) {
    if (!contents.empty() && std::find(found.begin(), found.end(), contents) == found.end()) {
      found.push_back(std::move(contents));
    }
  };
  const std::string text(name);
  for (const int nid : {OBJ_sn2nid(text.c_str()), OBJ_ln2nid(text.c_str())}) {
    if (nid != NID_undef) {
      add(opensslContents(nid));
    }
  }
  // OpenSSL's names come first, as they do for the names shown.
  if (!found.empty()) {
    return found;
  }
  loadDumpasn1();
  const auto [first, last] = described_.equal_range(text);
  for (auto entry = first; entry != last; ++entry) {
    add(entry->second);
  }
  return found;
}
