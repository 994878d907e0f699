// The names people know identifiers by, from two tables: OpenSSL's object
// table, and dumpasn1's configuration file when one is installed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct ObjectName {
  std::string_view shortName;  // "rsadsi", "CN"
  std::string_view longName;   // "RSA Data Security, Inc.", "commonName"
};

// Where warnings about the tables go.
class Warnings {
 public:
  virtual ~Warnings() = default;
  virtual void warn(const std::string& message) = 0;
};

class ObjectNames {
 public:
  // dumpasn1's file is looked for, and read, the first time a name is
  // wanted: as $PELLAMAR_DUMPASN1_CFG when that is set (empty for none),
  // otherwise where dumpasn1 looks, $DUMPASN1_PATH/dumpasn1.cfg,
  // $HOME/.dumpasn1.cfg and /etc/dumpasn1/dumpasn1.cfg. A file that cannot
  // be read, or in part only, is reported once to `warnings`, and the rest
  // of the names are used.
  explicit ObjectNames(Warnings& warnings);

  // The names of the identifier with these contents octets: OpenSSL's short
  // and long name, or else dumpasn1's description as both; nothing when
  // neither table knows it.
  std::optional<ObjectName> nameOf(std::span<const std::uint8_t> contents);

  // The contents octets of every identifier that is named `name`, exactly
  // and in the case written: an OpenSSL short or long name, or else a
  // dumpasn1 description. No identifier appears twice.
  std::vector<std::string> identifiersNamed(std::string_view name);

 private:
  void loadDumpasn1();
  void readDumpasn1(const std::string& path);

  Warnings& warnings_;
  bool loaded_ = false;
  // Contents octets (as a byte string) to description, and back.
  std::unordered_map<std::string, std::string> descriptions_;
  std::unordered_multimap<std::string, std::string> described_;
};
