// SNMP MIB modules, read with libsmi.
// smi.h names a parameter "class", which C++ reserves.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define class smiClass  // NOLINT
#include <smi.h>
#undef class
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

#include <fstream>
#include <map>
#include <mutex>

#include "source_lines.hpp"
#include "source_readers.hpp"

namespace {

// libsmi reports through a plain function: the first fault of each file
// is kept here while the modules load.
struct FirstFault {
  int line;
  std::string message;
};
std::map<std::string, FirstFault>* faults = nullptr;

void keepFault(char* path, int line, int /*severity*/, char* message, char* /*tag*/) {
  if (faults != nullptr && path != nullptr && message != nullptr) {
    faults->try_emplace(path, FirstFault{line, message});
  }
}

// Faults that stop a module being read; libsmi's lesser levels are
// matters of style that SNMP tools read past.
constexpr int SevereFaults = 1;

// How far into a file its module definition must have started: a MIB
// folder also holds indexes and notes, which are not read as modules.
constexpr std::size_t ModuleHeaderReach = 65536;

bool holdsModule(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string start(ModuleHeaderReach, '\0');
  file.read(start.data(), static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<std::size_t>(file.gcount()));
  return start.find("DEFINITIONS") != std::string::npos;
}

}  // namespace

void readMibs(NameDatabase& names, const std::vector<std::string>& files,
              const std::vector<std::string>& directories) {
  // libsmi holds its modules in process-wide state.
  static std::mutex libsmi;
  const std::lock_guard lock(libsmi);
  std::map<std::string, FirstFault> found;
  faults = &found;
  smiInit(nullptr);
  smiSetErrorLevel(SevereFaults);
  smiSetFlags(SMI_FLAG_ERRORS);
  smiSetErrorHandler(keepFault);
  std::string path;
  for (const std::string& directory : directories) {
    if (!path.empty()) {
      path += ':';
    }
    path += directory;
  }
  smiSetPath(path.c_str());

  std::map<std::string, std::uint16_t> sourceOf;
  for (const std::string& file : files) {
    std::ifstream readable(file);
    if (!readable) {
      names.addWarning(file + ": cannot be read; its names are left out");
      continue;
    }
    if (!holdsModule(file)) {
      continue;
    }
    if (const char* module = smiLoadModule(file.c_str())) {
      sourceOf.try_emplace(module, names.addSource(SourceKind::SnmpMib, file));
    }
  }
  // Modules read because others import them are named by the file they
  // came from, and are sources of their own.
  for (SmiModule* module = smiGetFirstModule(); module != nullptr;
       module = smiGetNextModule(module)) {
    // libsmi keeps what it read of a module with severe faults, and walking
    // its nodes can run into the damage: such a module is left out whole.
    if (module->path != nullptr && found.contains(module->path)) {
      continue;
    }
    auto source = sourceOf.find(module->name);
    if (source == sourceOf.end()) {
      source = sourceOf
                   .emplace(module->name,
                            names.addSource(SourceKind::SnmpMib,
                                            module->path != nullptr ? module->path : module->name))
                   .first;
    }
    for (SmiNode* node = smiGetFirstNode(module, SMI_NODEKIND_ANY); node != nullptr;
         node = smiGetNextNode(node, SMI_NODEKIND_ANY)) {
      if (node->name == nullptr || node->oidlen < 2) {
        continue;
      }
      std::string dotted;
      for (unsigned int arc = 0; arc < node->oidlen; ++arc) {
        if (arc > 0) {
          dotted += '.';
        }
        dotted += std::to_string(node->oid[arc]);
      }
      if (const auto identifier = dottedIdentifier(dotted)) {
        names.add(source->second, identifier->octets(), node->name, module->name,
                  node->description != nullptr ? node->description : "");
      }
    }
  }
  smiExit();
  faults = nullptr;
  for (const auto& [file, fault] : found) {
    names.addWarning(file + ":" + std::to_string(fault.line) + ": " + fault.message +
                     "; the other names are used");
  }
}
