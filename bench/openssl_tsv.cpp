// The straightforward way to do what `pellamar-cli encode --tsv` and
// `decode --tsv` do, with OpenSSL, as the reference the command line is
// measured against: one line in, the same tab-separated fields out.
//   openssl_tsv encode < identifiers    openssl_tsv decode < base64-texts
#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string hexPairs(const unsigned char* octets, int count) {
  std::string text;
  std::array<char, 4> pair{};
  for (int index = 0; index < count; ++index) {
    std::snprintf(pair.data(), pair.size(), index == 0 ? "%02X" : " %02X", octets[index]);
    text += pair.data();
  }
  return text;
}

std::string base64(const unsigned char* octets, int count) {
  std::vector<unsigned char> text(static_cast<std::size_t>((count + 2) / 3 * 4 + 1));
  const int length = EVP_EncodeBlock(text.data(), octets, count);
  return {reinterpret_cast<const char*>(text.data()), static_cast<std::size_t>(length)};
}

bool encode(const std::string& line, std::string& out) {
  ASN1_OBJECT* object = OBJ_txt2obj(line.c_str(), 1);
  if (object == nullptr) {
    return false;
  }
  const unsigned char* contents = OBJ_get0_data(object);
  const auto count = static_cast<int>(OBJ_length(object));
  std::array<unsigned char, 256> der{};
  unsigned char* end = der.data();
  const int derCount = i2d_ASN1_OBJECT(object, &end);
  out += line + "\t" + hexPairs(contents, count) + "\t" + base64(contents, count) + "\t" +
         hexPairs(der.data(), derCount) + "\t" + base64(der.data(), derCount) + "\n";
  ASN1_OBJECT_free(object);
  return true;
}

bool decode(const std::string& line, std::string& out) {
  std::array<unsigned char, 256> der{};
  const int decoded =
      EVP_DecodeBlock(der.data() + 2, reinterpret_cast<const unsigned char*>(line.data()),
                      static_cast<int>(line.size()));
  if (decoded < 0) {
    return false;
  }
  // EVP_DecodeBlock counts the octets that padding stands for.
  int count = decoded;
  for (auto at = line.rbegin(); at != line.rend() && *at == '='; ++at) {
    --count;
  }
  der[0] = 0x06;
  der[1] = static_cast<unsigned char>(count);
  const unsigned char* start = der.data();
  ASN1_OBJECT* object = d2i_ASN1_OBJECT(nullptr, &start, count + 2);
  if (object == nullptr) {
    return false;
  }
  std::array<char, 512> text{};
  OBJ_obj2txt(text.data(), static_cast<int>(text.size()), object, 1);
  out += line + "\t" + text.data() + "\n";
  ASN1_OBJECT_free(object);
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2 || (std::strcmp(argv[1], "encode") != 0 && std::strcmp(argv[1], "decode") != 0)) {
    std::fputs("usage: openssl_tsv encode|decode < lines\n", stderr);
    return 2;
  }
  const bool encoding = std::strcmp(argv[1], "encode") == 0;
  std::ios::sync_with_stdio(false);
  std::string line;
  std::string out;
  int status = 0;
  while (std::getline(std::cin, line)) {
    out.clear();
    if (!(encoding ? encode(line, out) : decode(line, out))) {
      std::fprintf(stderr, "openssl_tsv: cannot convert %s\n", line.c_str());
      status = 1;
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
  }
  return status;
}
