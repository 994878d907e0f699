// The names OpenSSL's object table knows for an identifier.
#pragma once

#include <optional>
#include <string_view>

#include "objid_buffer.hpp"

struct ObjectName {
  std::string_view shortName;  // "rsadsi", "CN"
  std::string_view longName;   // "RSA Data Security, Inc.", "commonName"
};

// The names of the identifier whose contents octets are the first `count`
// octets of `contents`, or nothing when OpenSSL does not know it.
std::optional<ObjectName> objectName(const pellamar::ObjIDBuffer& contents, int count);
