// What `pellamar-cli encode --tsv` and `decode --tsv` do, written with
// OpenSSL as a careful user writes it, as the reference the command line
// is measured against: one line in, the same tab-separated fields out.
//   openssl_tsv encode < identifiers    openssl_tsv decode < base64-texts
//
// What makes it lean: lines come through one reused std::string from an
// unsynchronised std::cin; OBJ_txt2obj is told to parse numbers only;
// hexadecimal digits come from a 16-character table, Base64 from
// EVP_EncodeBlock into a stack array, the DER octets from i2d_ASN1_OBJECT
// into another; decoding reuses one ASN1_OBJECT and writes the text into a
// stack array; and every field is appended in place to one output buffer,
// written out in blocks of 64 KiB.
#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr std::size_t BlockSize = std::size_t{1} << 16;
// Room for the octets of any identifier that fits 100 contents octets,
// and for their Base64.
constexpr std::size_t MaxOctets = 128;

void appendHex(std::string& out, const unsigned char* octets, int count) {
  constexpr char digits[] = "0123456789ABCDEF";
  for (int index = 0; index < count; ++index) {
    if (index > 0) {
      out += ' ';
    }
    out += digits[octets[index] >> 4];
    out += digits[octets[index] & 0x0F];
  }
}

void appendBase64(std::string& out, const unsigned char* octets, int count) {
  std::array<unsigned char, MaxOctets * 4 / 3 + 4> text{};
  const int length = EVP_EncodeBlock(text.data(), octets, count);
  out.append(reinterpret_cast<const char*>(text.data()), static_cast<std::size_t>(length));
}

bool encode(const std::string& line, std::string& out) {
  ASN1_OBJECT* object = OBJ_txt2obj(line.c_str(), 1);
  if (object == nullptr) {
    return false;
  }
  const unsigned char* contents = OBJ_get0_data(object);
  const auto count = static_cast<int>(OBJ_length(object));
  std::array<unsigned char, MaxOctets> der{};
  unsigned char* end = der.data();
  const int derCount = i2d_ASN1_OBJECT(object, &end);
  out += line;
  out += '\t';
  appendHex(out, contents, count);
  out += '\t';
  appendBase64(out, contents, count);
  out += '\t';
  appendHex(out, der.data(), derCount);
  out += '\t';
  appendBase64(out, der.data(), derCount);
  out += '\n';
  ASN1_OBJECT_free(object);
  return true;
}

bool decode(const std::string& line, std::string& out, ASN1_OBJECT*& object) {
  std::array<unsigned char, MaxOctets * 2> der{};
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
  if (d2i_ASN1_OBJECT(&object, &start, count + 2) == nullptr) {
    return false;
  }
  std::array<char, 512> text{};
  const int length = OBJ_obj2txt(text.data(), static_cast<int>(text.size()), object, 1);
  out += line;
  out += '\t';
  out.append(text.data(), static_cast<std::size_t>(length));
  out += '\n';
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
  out.reserve(2 * BlockSize);
  ASN1_OBJECT* object = nullptr;
  int status = 0;
  while (std::getline(std::cin, line)) {
    if (!(encoding ? encode(line, out) : decode(line, out, object))) {
      std::fprintf(stderr, "openssl_tsv: cannot convert %s\n", line.c_str());
      status = 1;
    }
    if (out.size() >= BlockSize) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  ASN1_OBJECT_free(object);
  return std::fflush(stdout) == 0 ? status : 1;
}
