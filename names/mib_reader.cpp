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
#include <cctype>
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

namespace pellamar::names {

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
// With `ownNodes` false, only imports count: the module's own nodes are
// damaged where libsmi met a syntax error.
SmiNode* resolved(SmiModule* module, const char* label, bool ownNodes = true) {
  const auto usable = [](SmiNode* node) {
    return node != nullptr && !isStandIn(node) && unresolvedAbove(node) == nullptr;
  };
  if (SmiNode* own = ownNodes ? smiGetNode(module, label) : nullptr; usable(own)) {
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

// The value of a range's bound: sizes are kept as either kind of number.
std::int64_t boundOf(const SmiValue& value) {
  return value.basetype == SMI_BASETYPE_INTEGER32
             ? value.value.integer32
             : static_cast<std::int64_t>(value.value.unsigned32);
}

// One index object's syntax, a word as snmp_instances.hpp describes it,
// read from its type and the types it refines as net-snmp reads them.
std::string indexSyntax(SmiNode* index, bool implied) {
  SmiType* type = index != nullptr ? smiGetNodeType(index) : nullptr;
  if (type == nullptr) {
    return "x";
  }
  char integerKind = 'i';
  char stringKind = 's';
  SmiType* enumerated = nullptr;
  SmiType* sized = nullptr;
  for (SmiType* refined = type; refined != nullptr; refined = smiGetParentType(refined)) {
    const std::string_view name = refined->name != nullptr ? refined->name : "";
    if (name == "IpAddress") {
      return "a";
    }
    // net-snmp writes these, and the arcs after them, as numbers.
    if (name == "Counter32" || name == "Counter64" || name == "Counter" || name == "Opaque" ||
        name == "NsapAddress") {
      return "x";
    }
    integerKind = name == "InetAddressType" ? 't' : integerKind;
    stringKind = name == "InetAddress" ? 'n' : stringKind;
    if (enumerated == nullptr && smiGetFirstNamedNumber(refined) != nullptr) {
      enumerated = refined;
    }
    if (sized == nullptr && smiGetFirstRange(refined) != nullptr) {
      sized = refined;
    }
  }
  switch (type->basetype) {
    case SMI_BASETYPE_INTEGER32:
    case SMI_BASETYPE_UNSIGNED32:
    case SMI_BASETYPE_ENUM: {
      std::string word(1, integerKind);
      std::string labels;
      for (SmiNamedNumber* value = enumerated != nullptr ? smiGetFirstNamedNumber(enumerated)
                                                         : nullptr;
           value != nullptr; value = smiGetNextNamedNumber(value)) {
        const std::int64_t number = boundOf(value->value);
        if (value->name != nullptr && number >= 0) {
          labels.append(labels.empty() ? "" : ",")
              .append(value->name)
              .append("=")
              .append(std::to_string(number));
        }
      }
      return labels.empty() ? word : word + ":" + labels;
    }
    case SMI_BASETYPE_OCTETSTRING: {
      if (implied) {
        return "m";
      }
      SmiRange* range = sized != nullptr ? smiGetFirstRange(sized) : nullptr;
      if (range != nullptr && smiGetNextRange(range) == nullptr &&
          boundOf(range->minValue) == boundOf(range->maxValue) && boundOf(range->minValue) >= 0) {
        return "f" + std::to_string(boundOf(range->minValue));
      }
      return std::string(1, stringKind);
    }
    case SMI_BASETYPE_OBJECTIDENTIFIER:
      return implied ? "p" : "o";
    default:
      return "x";
  }
}

// The INDEX of the row a column lies in (or of the row that row augments),
// as snmp_instances.hpp describes it; of a row itself, after the number of
// a column it does not define, as net-snmp writes "ifEntry.99.7"; empty
// for any other node.
std::string indexesOf(SmiNode* node) {
  const bool ownRow = node->nodekind == SMI_NODEKIND_ROW;
  SmiNode* row = ownRow                                  ? node
                 : node->nodekind == SMI_NODEKIND_COLUMN ? smiGetParentNode(node)
                                                         : nullptr;
  if (row != nullptr &&
      (row->indexkind == SMI_INDEX_AUGMENT || row->indexkind == SMI_INDEX_SPARSE)) {
    row = smiGetRelatedNode(row);
  }
  if (row == nullptr || row->indexkind != SMI_INDEX_INDEX) {
    return {};
  }
  std::string indexes = ownRow ? "i" : "";
  for (SmiElement* element = smiGetFirstElement(row); element != nullptr;
       element = smiGetNextElement(element)) {
    const bool last = smiGetNextElement(element) == nullptr;
    indexes.append(indexes.empty() ? "" : " ")
        .append(indexSyntax(smiGetElementNode(element), last && row->implied != 0));
  }
  return indexes;
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

// A definition written "label ... ::= { parent arc }", as the module's
// text has it.
struct TextDefinition {
  std::string label;
  std::string parent;
  std::string arc;
};

// The macros and types whose value is an identifier, after the label
// they define.
bool definesIdentifier(std::string_view word) {
  static constexpr std::array<std::string_view, 9> Macros = {
      "IDENTIFIER",         "OBJECT-TYPE",       "OBJECT-IDENTITY",
      "MODULE-IDENTITY",    "NOTIFICATION-TYPE", "OBJECT-GROUP",
      "NOTIFICATION-GROUP", "MODULE-COMPLIANCE", "AGENT-CAPABILITIES"};
  return std::find(Macros.begin(), Macros.end(), word) != Macros.end();
}

bool isLabel(std::string_view word) {
  return !word.empty() && word[0] >= 'a' && word[0] <= 'z';
}

// The words and signs of a module's text, without its comments and
// quoted strings.
std::vector<std::string> wordsOf(const std::string& text) {
  std::vector<std::string> words;
  const auto wordCharacter = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
  };
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (c == '-' && text.compare(at, 2, "--") == 0) {
      // A comment ends at the end of its line or at the next "--".
      const std::size_t end = std::min(text.find("--", at + 2), text.find('\n', at + 2));
      at = end == std::string::npos ? text.size() : end + (text[end] == '-' ? 2 : 1);
    } else if (c == '"') {
      const std::size_t end = text.find('"', at + 1);
      at = end == std::string::npos ? text.size() : end + 1;
    } else if (text.compare(at, 3, "::=") == 0) {
      words.emplace_back("::=");
      at += 3;
    } else if (wordCharacter(c)) {
      std::size_t end = at;
      while (end < text.size() && wordCharacter(text[end]) && text.compare(end, 2, "--") != 0) {
        ++end;
      }
      words.push_back(text.substr(at, end - at));
      at = end;
    } else {
      if (std::isspace(static_cast<unsigned char>(c)) == 0) {
        words.emplace_back(1, c);
      }
      ++at;
    }
  }
  return words;
}

// The definitions "label MACRO ... ::= { parent arc }" of a module's text,
// read as net-snmp reads them, for what libsmi does not give: a second
// label for one node, which libsmi drops, and the definitions of a module
// that libsmi stops reading at its first syntax error.
std::vector<TextDefinition> textDefinitions(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::vector<std::string> words = wordsOf(text);
  std::vector<TextDefinition> definitions;
  std::size_t statementStart = 0;
  for (std::size_t at = 0; at + 4 < words.size(); ++at) {
    if (words[at] != "::=") {
      continue;
    }
    const bool simple = words[at + 1] == "{" && isLabel(words[at + 2]) &&
                        std::isdigit(static_cast<unsigned char>(words[at + 3][0])) != 0 &&
                        words[at + 4] == "}";
    if (simple) {
      // The label stands before the last macro since the statement began.
      for (std::size_t back = at; back > statementStart + 1; --back) {
        if (definesIdentifier(words[back - 1])) {
          const bool objectIdentifier = words[back - 1] == "IDENTIFIER";
          const std::size_t before = objectIdentifier ? 3 : 2;
          if (back >= statementStart + before && isLabel(words[back - before]) &&
              (!objectIdentifier || words[back - 2] == "OBJECT")) {
            definitions.push_back({words[back - before], words[at + 2], words[at + 3]});
          }
          break;
        }
      }
    }
    statementStart = at + 1;
  }
  return definitions;
}

// Adds the names of the module's text definitions (textDefinitions())
// whose labels are not among those libsmi `given`, each whose parent
// resolves: in the text, or through libsmi, in the module itself (where
// `parsed`) or in the module it is imported from.
void addTextDefinitions(NameDatabase& names, std::uint16_t source, SmiModule* module,
                        const std::string& path, bool parsed, const std::set<std::string>& given) {
  std::vector<TextDefinition> left = textDefinitions(path);
  std::erase_if(left, [&given](const TextDefinition& definition) {
    return given.contains(definition.label);
  });
  std::map<std::string, std::string> dottedOfLabel;
  // Parents before children, whatever their order in the text.
  for (bool added = true; added && !left.empty();) {
    added = false;
    std::erase_if(left, [&](const TextDefinition& definition) {
      std::optional<std::string> parent;
      if (const auto known = dottedOfLabel.find(definition.parent); known != dottedOfLabel.end()) {
        parent = known->second;
      } else if (SmiNode* node = resolved(module, definition.parent.c_str(), parsed)) {
        parent = dottedArcs(module, node);
      }
      const auto identifier =
          parent ? dottedIdentifier(*parent + "." + definition.arc) : std::nullopt;
      if (!identifier) {
        return false;
      }
      dottedOfLabel.emplace(definition.label, *parent + "." + definition.arc);
      names.add(source, identifier->octets(), definition.label, module->name, {});
      added = true;
      return true;
    });
  }
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
  smiSetPath(joined(directories, ':').c_str());

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
      // What libsmi kept of it may be damaged: its text is read instead.
      progress.reading(from);
      addTextDefinitions(names, names.addSource(SourceKind::SnmpMib, from), module, from, false,
                         {});
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
    std::set<std::string> given;
    for (SmiNode* node = smiGetFirstNode(module, SMI_NODEKIND_ANY); node != nullptr;
         node = smiGetNextNode(node, SMI_NODEKIND_ANY)) {
      if (node->name == nullptr || node->oidlen < 2) {
        continue;
      }
      given.insert(node->name);
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
                  node->description != nullptr ? node->description : "", indexesOf(node));
      }
    }
    if (module->path != nullptr) {
      addTextDefinitions(names, source, module, module->path, true, given);
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

}  // namespace pellamar::names
