// pellamar-cli scan: every identifier inside certificates, keys, messages
// and any other BER, DER, PEM or Base64 file, listed with its place or
// counted.
#pragma once

#include <string>
#include <vector>

#include "diagnostics.hpp"
#include "object_names.hpp"
#include "scan_report.hpp"

using pellamar::ScanOptions;

// Scans each of `files` ("-" is standard input, as is an empty list),
// writing what is found to standard output and each fault to
// `diagnostics`; returns whether every file was read whole without a
// fault. Fails with OutputError when the output cannot be written.
bool scanFiles(const std::vector<std::string>& files, const ScanOptions& options,
               ObjectNames& names, Diagnostics& diagnostics);
