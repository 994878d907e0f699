// Our conversions against OpenSSL's doing the same work on the same corpus,
// and the cost of opening the main window against a bare widget.
#include <benchmark/benchmark.h>
#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include <QApplication>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "main_window.hpp"
#include "objid_conversions.hpp"

namespace {

// Identifiers from PKIX, PKCS, LDAP and SNMP, and some long ones.
const std::vector<std::string> corpus = {
    "1.3.6.1.5.5.7.3.1",
    "1.3.6.1.5.5.7.3.2",
    "1.3.6.1.5.5.7.48.1",
    "1.3.6.1.5.5.7.48.2",
    "1.3.6.1.5.5.7.1.1",
    "2.5.29.14",
    "2.5.29.15",
    "2.5.29.17",
    "2.5.29.19",
    "2.5.29.31",
    "2.5.29.32.0",
    "2.5.29.35",
    "2.5.29.37",
    "2.5.4.3",
    "2.5.4.6",
    "2.5.4.10",
    "2.5.4.11",
    "1.2.840.113549.1.1.1",
    "1.2.840.113549.1.1.11",
    "1.2.840.113549.1.1.12",
    "1.2.840.113549.1.1.13",
    "1.2.840.113549.1.7.1",
    "1.2.840.113549.1.7.2",
    "1.2.840.113549.1.9.1",
    "1.2.840.113549.1.9.16.2.47",
    "1.2.840.113549.2.9",
    "1.2.840.10045.2.1",
    "1.2.840.10045.3.1.7",
    "1.2.840.10045.4.3.2",
    "1.3.132.0.34",
    "2.16.840.1.101.3.4.2.1",
    "2.16.840.1.101.3.4.1.42",
    "0.9.2342.19200300.100.1.1",
    "0.9.2342.19200300.100.1.25",
    "1.3.6.1.4.1.1466.115.121.1.15",
    "1.3.6.1.4.1.1466.20037",
    "1.3.6.1.1.1.1.0",
    "1.3.6.1.2.1.1.1.0",
    "1.3.6.1.2.1.2.2.1.10.1",
    "1.3.6.1.6.3.1.1.5.1",
    "1.3.6.1.4.1.311.21.20",
    "1.3.6.1.4.1.11129.2.4.2",
    "2.999.1.2.3.4.5.6.7.8.9.10.11.12.13.14.15.16.17.18.19.20",
    "1.2.2147483647.2147483647.2147483647.2147483647.2147483647.2147483647",
    "2.25.329800735698586629295641978511506172918",
};

// The UUID arc above is far beyond 32 bits, so only the identifiers that
// both implementations take are measured.
std::vector<std::string> measuredCorpus() {
  std::vector<std::string> taken;
  for (const std::string& text : corpus) {
    try {
      pellamar::ObjIDBuffer buffer;
      pellamar::ObjIDStringToBinary(buffer, text);
      taken.push_back(text);
    } catch (const pellamar::ConversionError&) {
    }
  }
  return taken;
}

const std::vector<std::string>& identifiers() {
  static const std::vector<std::string> taken = measuredCorpus();
  return taken;
}

const std::vector<std::string>& base64Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> result;
    for (const std::string& text : identifiers()) {
      pellamar::ObjIDBuffer buffer;
      result.push_back(
          pellamar::ObjIDBinaryToBase64(buffer, pellamar::ObjIDStringToBinary(buffer, text)));
    }
    return result;
  }();
  return texts;
}

void forwardPellamar(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& text : identifiers()) {
      pellamar::ObjIDBuffer buffer;
      const std::int16_t count = pellamar::ObjIDStringToBinary(buffer, text);
      benchmark::DoNotOptimize(pellamar::ObjIDBinaryToBase64(buffer, count));
    }
  }
}

void forwardOpenSsl(benchmark::State& state) {
  std::array<unsigned char, 256> base64{};
  for (auto _ : state) {
    for (const std::string& text : identifiers()) {
      ASN1_OBJECT* object = OBJ_txt2obj(text.c_str(), 1);
      benchmark::DoNotOptimize(EVP_EncodeBlock(base64.data(), OBJ_get0_data(object),
                                               static_cast<int>(OBJ_length(object))));
      ASN1_OBJECT_free(object);
    }
  }
}

void reversePellamar(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& text : base64Texts()) {
      pellamar::ObjIDBuffer buffer;
      const std::int16_t count = pellamar::ObjIDBase64ToBinary(text, buffer);
      benchmark::DoNotOptimize(pellamar::ObjIDBinaryToString(buffer, count));
    }
  }
}

void reverseOpenSsl(benchmark::State& state) {
  std::array<unsigned char, 256> der{};
  std::array<char, 256> dotted{};
  for (auto _ : state) {
    for (const std::string& text : base64Texts()) {
      // EVP_DecodeBlock keeps the padding's zero octets; the count drops them.
      const int decoded =
          EVP_DecodeBlock(der.data() + 2, reinterpret_cast<const unsigned char*>(text.data()),
                          static_cast<int>(text.size()));
      const auto padding = static_cast<int>(text.size() - text.find_last_not_of('=') - 1);
      der[0] = 0x06;
      der[1] = static_cast<unsigned char>(decoded - padding);
      const unsigned char* cursor = der.data();
      ASN1_OBJECT* object = d2i_ASN1_OBJECT(nullptr, &cursor, der[1] + 2);
      benchmark::DoNotOptimize(OBJ_obj2txt(dotted.data(), dotted.size(), object, 1));
      ASN1_OBJECT_free(object);
    }
  }
}

template <typename Window>
void openWindow(benchmark::State& state) {
  for (auto _ : state) {
    Window window;
    window.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.isVisible());
  }
}

BENCHMARK(forwardPellamar)->Name("forward/pellamar");
BENCHMARK(forwardOpenSsl)->Name("forward/openssl");
BENCHMARK(reversePellamar)->Name("reverse/pellamar");
BENCHMARK(reverseOpenSsl)->Name("reverse/openssl");
BENCHMARK(openWindow<MainWindow>)->Name("window/main_window");
BENCHMARK(openWindow<QWidget>)->Name("window/bare_widget");

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
