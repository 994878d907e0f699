// Stand-ins for module names that old MIB modules import and later
// modules replaced, written where libsmi looks for modules.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

#include "source_readers.hpp"

namespace pellamar::names {

namespace {

// Module names that later modules replaced, as net-snmp maps them, so that
// a module importing from the old name is read as net-snmp reads it.
constexpr std::array<std::pair<std::string_view, std::string_view>, 12> ReplacedModules = {{
    {"RFC-1213", "RFC1213-MIB"},
    {"RFC1065-SMI", "RFC1155-SMI"},
    {"RFC1066-MIB", "RFC1156-MIB"},
    {"RFC1156-MIB", "RFC1158-MIB"},
    {"RFC1158-MIB", "RFC1213-MIB"},
    {"RFC1231-MIB", "TOKENRING-MIB"},
    {"RFC1271-MIB", "RMON-MIB"},
    {"RFC1286-MIB", "BRIDGE-MIB"},
    {"RFC1315-MIB", "FRAME-RELAY-DTE-MIB"},
    {"RFC1316-MIB", "CHARACTER-MIB"},
    {"RFC1406-MIB", "DS1-MIB"},
    {"RFC1155-SMI", "SNMPv2-SMI"},
}};

// The SMIv1 module of the OBJECT-TYPE macro (RFC 1212), which old modules
// import under either spelling and which net-snmp knows without a file:
// only the macro is needed, as libsmi reads its notation itself.
constexpr std::array<std::string_view, 2> ObjectTypeModules = {"RFC-1212", "RFC1212"};
constexpr std::string_view ObjectTypeModuleText =
    " DEFINITIONS ::= BEGIN\n"
    "\n"
    "OBJECT-TYPE MACRO ::=\n"
    "BEGIN\n"
    "    TYPE NOTATION ::= \"SYNTAX\" type(TYPE ObjectSyntax)\n"
    "    VALUE NOTATION ::= value(VALUE ObjectName)\n"
    "END\n"
    "\n"
    "END\n";

// The file of module `name` in `directories`, as libsmi looks for it.
std::string moduleFile(const std::vector<std::string>& directories, std::string_view name) {
  for (const std::string& directory : directories) {
    for (const char* ending : {"", ".txt", ".my", ".mib"}) {
      const std::string path = directory + "/" + std::string(name) + ending;
      if (std::ifstream(path)) {
        return path;
      }
    }
  }
  return {};
}

// The module's text under another name: the word before DEFINITIONS.
std::optional<std::string> renamed(const std::string& path, std::string_view name) {
  std::ifstream file(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t definitions = text.find("DEFINITIONS");
  const std::size_t end = text.find_last_not_of(" \t\r\n", definitions - 1);
  if (definitions == std::string::npos || definitions == 0 || end == std::string::npos) {
    return std::nullopt;
  }
  const std::size_t before = text.find_last_of(" \t\r\n", end);
  const std::size_t start = before == std::string::npos ? 0 : before + 1;
  return text.replace(start, end + 1 - start, name);
}

}  // namespace

OldModuleNames::OldModuleNames(const std::vector<std::string>& directories) {
  const char* temporary = std::getenv("TMPDIR");
  std::string pattern =
      std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
      "/pellamar-mibs-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    return;
  }
  directory_ = pattern;
  const auto write = [this](std::string_view name, const std::string& text) {
    const std::string path = directory_ + "/" + std::string(name);
    std::ofstream(path, std::ios::binary) << text;
    files_.push_back(path);
  };
  for (const std::string_view name : ObjectTypeModules) {
    if (moduleFile(directories, name).empty()) {
      write(name, std::string(name) + std::string(ObjectTypeModuleText));
    }
  }
  // A replacement may itself stand in for another ("RFC1066-MIB" is
  // RFC1156-MIB, which is RFC1158-MIB...): the table is gone over until
  // nothing more is written.
  std::vector<std::string> searched = directories;
  searched.push_back(directory_);
  for (bool wrote = true; wrote;) {
    wrote = false;
    for (const auto& [old, replacement] : ReplacedModules) {
      if (!moduleFile(searched, old).empty()) {
        continue;
      }
      const std::string target = moduleFile(searched, replacement);
      if (const auto text = target.empty() ? std::nullopt : renamed(target, old)) {
        write(old, *text);
        wrote = true;
      }
    }
  }
}

OldModuleNames::~OldModuleNames() {
  for (const std::string& file : files_) {
    std::remove(file.c_str());
  }
  if (!directory_.empty()) {
    rmdir(directory_.c_str());
  }
}

}  // namespace pellamar::names
