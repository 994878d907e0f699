// OpenSSL's built-in object table.
#include <openssl/err.h>
#include <openssl/objects.h>

#include "source_readers.hpp"

namespace pellamar::names {

void addOpenSslNames(NameDatabase& names) {
  const std::uint16_t source = names.addSource(SourceKind::OpenSsl, {});
  // OBJ_new_nid(0) is the number the next object would get: one past the
  // last built in.
  const int end = OBJ_new_nid(0);
  for (int nid = 1; nid < end; ++nid) {
    const ASN1_OBJECT* object = OBJ_nid2obj(nid);
    if (object == nullptr || OBJ_length(object) == 0 || OBJ_obj2nid(object) != nid) {
      continue;
    }
    const char* shortName = OBJ_nid2sn(nid);
    const char* longName = OBJ_nid2ln(nid);
    names.add(source, {OBJ_get0_data(object), OBJ_length(object)},
              shortName != nullptr ? shortName : "", {}, longName != nullptr ? longName : "");
  }
  ERR_clear_error();
}

}  // namespace pellamar::names
