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

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "child_reading.hpp"
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
// The files in which libsmi met a syntax error: it abandons the rest of
// such a module, and what it kept of it can be damaged.
std::set<std::string>* unparsed = nullptr;

void keepFault(char* path, int line, int /*severity*/, char* message, char* /*tag*/) {
  if (faults != nullptr && path != nullptr && message != nullptr) {
    faults->try_emplace(path, FirstFault{line, message});
    if (std::string_view(message).starts_with("syntax error")) {
      unparsed->insert(path);
    }
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

// Whether libsmi made `node` for a label it could not resolve: a node of
// no kind at the top of the tree, under a name the tree's top has not. A
// label given an arc in passing, as "pwg(2699)" in "{ enterprises
// pwg(2699) 1 }", is of no kind too, but lies where its arc says.
bool isStandIn(const SmiNode* node) {
  if (node->nodekind != SMI_NODEKIND_UNKNOWN || node->name == nullptr || node->oidlen != 1) {
    return false;
  }
  const std::string_view name = node->name;
  return name != "ccitt" && name != "itu-t" && name != "iso" && name != "joint-iso-ccitt" &&
         name != "joint-iso-itu-t";
}

// The stand-in a node hangs from when a label above it did not resolve,
// or null when the node's arcs lead to the root. libsmi files a node under
// an unresolved label (an import it could not find, a cycle of imports, a
// forward reference inside such a cycle) beneath a stand-in with arc 0:
// the identifier it gives such a node is wrong.
SmiNode* unresolvedAbove(SmiNode* node) {
  for (SmiNode* parent = node; parent != nullptr;) {
    if (isStandIn(parent)) {
      return parent;
    }
    SmiNode* above = smiGetParentNode(parent);
    // Each step up takes one arc away; below a stand-in it does not.
    if (above == nullptr ? parent->oidlen != 1 : above->oidlen + 1 != parent->oidlen) {
      return above != nullptr ? above : parent;
    }
    parent = above;
  }
  return nullptr;
}

// The node that `label` of `module` stands for, where it resolves: the
// module's own definition, or the one of a module it imports the label
// from. net-snmp resolves labels after reading every module, so cycles
// of imports resolve there.
SmiNode* resolved(SmiModule* module, const char* label) {
  const auto usable = [](SmiNode* node) {
    return node != nullptr && !isStandIn(node) && unresolvedAbove(node) == nullptr;
  };
  if (SmiNode* own = smiGetNode(module, label); usable(own)) {
    return own;
  }
  for (SmiImport* import = smiGetFirstImport(module); import != nullptr;
       import = smiGetNextImport(import)) {
    if (import->name != nullptr && std::strcmp(import->name, label) == 0) {
      SmiNode* node = smiGetNode(smiGetModule(import->module), label);
      return usable(node) ? node : nullptr;
    }
  }
  return nullptr;
}

// The node's arcs, dotted, or nothing when they cannot be known.
std::optional<std::string> dottedArcs(SmiModule* module, SmiNode* node) {
  const unsigned int* arcs = node->oid;
  unsigned int count = node->oidlen;
  std::vector<unsigned int> rebased;
  if (SmiNode* standIn = unresolvedAbove(node)) {
    SmiNode* label = isStandIn(standIn) ? resolved(module, standIn->name) : nullptr;
    if (label == nullptr || standIn->oidlen > node->oidlen) {
      return std::nullopt;
    }
    rebased.assign(label->oid, label->oid + label->oidlen);
    rebased.insert(rebased.end(), node->oid + standIn->oidlen, node->oid + node->oidlen);
    arcs = rebased.data();
    count = static_cast<unsigned int>(rebased.size());
  }
  std::string dotted;
  for (unsigned int arc = 0; arc < count; ++arc) {
    if (arc > 0) {
      dotted += '.';
    }
    dotted += std::to_string(arcs[arc]);
  }
  return dotted;
}

// "mib-2", "mib-2 and rmon", "mib-2, rmon, history and 2 more"
std::string listed(const std::set<std::string>& labels) {
  constexpr std::size_t Shown = 3;
  std::string text;
  std::size_t index = 0;
  for (const std::string& label : labels) {
    if (index == Shown) {
      return text + " and " + std::to_string(labels.size() - Shown) + " more";
    }
    if (index > 0) {
      text += index + 1 == labels.size() ? " and " : ", ";
    }
    text += label;
    ++index;
  }
  return text;
}

// What one module gave, and what it could not.
struct ModuleReading {
  SmiModule* module;
  std::size_t leftOut = 0;
  std::set<std::string> unresolved;
};

}  // namespace

void readMibs(NameDatabase& names, const std::vector<std::string>& files,
              const std::vector<std::string>& directories, ReadingProgress& progress,
              const std::string& aliasDirectory) {
  // libsmi holds its modules in process-wide state.
  static std::mutex libsmi;
  const std::lock_guard lock(libsmi);
  std::map<std::string, FirstFault> found;
  std::set<std::string> unparsedFiles;
  faults = &found;
  unparsed = &unparsedFiles;
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

  for (const std::string& file : files) {
    std::ifstream readable(file);
    if (!readable) {
      names.addWarning(file + ": cannot be read; its names are left out");
      continue;
    }
    if (!holdsModule(file)) {
      continue;
    }
    progress.reading(file);
    smiLoadModule(file.c_str());
  }
  // SMIv2 modules first, as net-snmp prefers them: SNMPv2-MIB's sysDescr
  // before RFC1213-MIB's. Modules read because others import them count
  // as sources too, named by the file they came from; the stand-ins for
  // old module names do not.
  std::vector<ModuleReading> modules;
  for (SmiModule* module = smiGetFirstModule(); module != nullptr;
       module = smiGetNextModule(module)) {
    const std::string from = module->path != nullptr ? module->path : "";
    if (!aliasDirectory.empty() && from.starts_with(aliasDirectory + "/")) {
      continue;
    }
    if (unparsedFiles.contains(from)) {
      // Listed among the sources, with no names.
      names.addSource(SourceKind::SnmpMib, from);
    } else {
      modules.push_back({module, 0, {}});
    }
  }
  std::stable_partition(modules.begin(), modules.end(), [](const ModuleReading& reading) {
    return reading.module->language == SMI_LANGUAGE_SMIV2;
  });
  for (ModuleReading& reading : modules) {
    SmiModule* module = reading.module;
    const std::string file = module->path != nullptr ? module->path : module->name;
    progress.reading(file);
    const std::uint16_t source = names.addSource(SourceKind::SnmpMib, file);
    for (SmiNode* node = smiGetFirstNode(module, SMI_NODEKIND_ANY); node != nullptr;
         node = smiGetNextNode(node, SMI_NODEKIND_ANY)) {
      if (node->name == nullptr || node->oidlen < 2) {
        continue;
      }
      const auto dotted = dottedArcs(module, node);
      if (!dotted) {
        // A stand-in for an import is no definition of its own.
        if (!isStandIn(node)) {
          ++reading.leftOut;
          reading.unresolved.insert(unresolvedAbove(node)->name);
        }
        continue;
      }
      if (const auto identifier = dottedIdentifier(*dotted)) {
        names.add(source, identifier->octets(), node->name, module->name,
                  node->description != nullptr ? node->description : "");
      }
    }
  }
  // Each module that could not be read whole, once: its first fault, and
  // what it lost.
  std::map<std::string, std::string> warnings;
  for (const ModuleReading& reading : modules) {
    const std::string file = reading.module->path != nullptr ? reading.module->path : "";
    const auto fault = found.find(file);
    if (reading.leftOut == 0) {
      continue;
    }
    std::string warning = file + ": ";
    if (fault != found.end()) {
      warning =
          file + ":" + std::to_string(fault->second.line) + ": " + fault->second.message + "; ";
      found.erase(fault);
    }
    const bool one = reading.leftOut == 1;
    warnings[file] =
        warning + (one ? "the name" : "the " + std::to_string(reading.leftOut) + " names") +
        " under " + listed(reading.unresolved) + (one ? " is" : " are") +
        " left out, as no module read resolves " + (reading.unresolved.size() == 1 ? "it" : "them");
  }
  smiExit();
  faults = nullptr;
  unparsed = nullptr;
  for (const auto& [file, fault] : found) {
    if (aliasDirectory.empty() || !file.starts_with(aliasDirectory + "/")) {
      warnings[file] = file + ":" + std::to_string(fault.line) + ": " + fault.message +
                       "; the other names are used";
    }
  }
  for (auto& [file, warning] : warnings) {
    names.addWarning(std::move(warning));
  }
}
