#include "object_names.hpp"

#include <openssl/asn1.h>
#include <openssl/objects.h>

#include <array>
#include <memory>

std::optional<ObjectName> objectName(const pellamar::ObjIDBuffer& contents, int count) {
  std::array<unsigned char, pellamar::ObjIDBuffer::Size> octets{};
  for (int index = 0; index < count; ++index) {
    octets.at(static_cast<std::size_t>(index)) = contents[index];
  }
  const std::unique_ptr<ASN1_OBJECT, decltype(&ASN1_OBJECT_free)> object(
      ASN1_OBJECT_create(NID_undef, octets.data(), count, nullptr, nullptr), &ASN1_OBJECT_free);
  if (!object) {
    return std::nullopt;
  }
  const int nid = OBJ_obj2nid(object.get());
  if (nid == NID_undef) {
    return std::nullopt;
  }
  const char* shortName = OBJ_nid2sn(nid);
  const char* longName = OBJ_nid2ln(nid);
  if (shortName == nullptr) {
    return std::nullopt;
  }
  return ObjectName{shortName, longName != nullptr ? longName : shortName};
}
