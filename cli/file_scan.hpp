// pellamar-cli scan: every identifier inside certificates, keys, messages
// and any other BER, DER, PEM or Base64 file, listed with its place or
// counted.
#pragma once

#include <string>
#include <vector>

#include "item_converter.hpp"
#include "object_names.hpp"

struct ScanOptions {
  OutputFormat format = OutputFormat::Human;
  // Each distinct identifier once, with the number of times it was found.
  bool count = false;
  // Only the identifiers that no source of names names.
  bool unknown = false;
};

// Scans each of `files` ("-" is standard input, as is an empty list),
// writing what is found to standard output and each fault to
// `diagnostics`; returns whether every file was read whole without a
// fault. Fails with OutputError when the output cannot be written.
bool scanFiles(const std::vector<std::string>& files, const ScanOptions& options,
               ObjectNames& names, Diagnostics& diagnostics);
