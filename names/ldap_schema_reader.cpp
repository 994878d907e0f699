// LDAP schemas as OpenLDAP keeps them, read with OpenLDAP's parser.
#include <ldap_schema.h>

#include <fstream>
#include <map>
#include <memory>

#include "source_lines.hpp"
#include "source_readers.hpp"

namespace pellamar::names {

namespace {

// One definition: its keyword, its value and the line it starts on.
struct Statement {
  std::string keyword;
  std::string value;
  long line;
};

// The statements of a slapd.conf schema file: a keyword at the start of a
// line, its value running on over the lines that start with a blank.
// LDIF (RFC 2849) folds lines the same way, but takes exactly one blank
// away, and writes each keyword as an attribute ("olcAttributeTypes:").
std::vector<Statement> statementsOf(std::istream& file, bool ldif) {
  std::vector<Statement> statements;
  std::string line;
  long number = 0;
  bool inComment = false;
  // slapd defines some types itself, and its .schema files show them
  // commented out under "# system schema": they are read as written.
  bool systemSchema = false;
  while (std::getline(file, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!ldif && line.starts_with('#')) {
      if (trimmed(std::string_view(line).substr(1)) == "system schema") {
        systemSchema = true;
        continue;
      }
      if (systemSchema) {
        line.erase(0, 1);
      }
    } else if (line.empty()) {
      systemSchema = false;
    }
    const bool continues = !line.empty() && (line.front() == ' ' || line.front() == '\t');
    if (continues) {
      if (!inComment && !statements.empty()) {
        statements.back().value += ldif ? line.substr(1) : " " + line;
      }
      continue;
    }
    inComment = !line.empty() && line.front() == '#';
    if (line.empty() || inComment) {
      continue;
    }
    const std::size_t end = line.find_first_of(ldif ? ":" : " \t");
    if (end == std::string::npos) {
      statements.push_back({lowered(line), {}, number});
      continue;
    }
    statements.push_back({lowered(line.substr(0, end)), line.substr(end + 1), number});
  }
  return statements;
}

// cn=config numbers each value ("{3}( 2.5.4.3 ..."): the number is not
// part of the definition.
std::string_view withoutIndex(std::string_view value) {
  value = trimmed(value);
  if (value.starts_with('{')) {
    const std::size_t close = value.find('}');
    if (close != std::string_view::npos) {
      value.remove_prefix(close + 1);
    }
  }
  return trimmed(value);
}

// An identifier written with OpenLDAP's macros: "MSAD:2" is macro MSAD's
// identifier and arc 2 below it; a macro's name alone is its identifier.
std::optional<std::string> expanded(std::string_view oid,
                                    const std::map<std::string, std::string, std::less<>>& macros) {
  const std::size_t colon = oid.find(':');
  const auto macro = macros.find(oid.substr(0, colon));
  if (macro == macros.end()) {
    return colon == std::string_view::npos && !oid.empty() && oid.front() >= '0' &&
                   oid.front() <= '9'
               ? std::optional<std::string>(oid)
               : std::nullopt;
  }
  if (colon == std::string_view::npos) {
    return macro->second;
  }
  return macro->second + "." + std::string(oid.substr(colon + 1));
}

// How 389 Directory Server writes the identifier of a definition that has
// none: its name and this ending.
constexpr std::string_view NoIdentifier = "-oid";

struct AttributeTypeDeleter {
  void operator()(LDAPAttributeType* type) const { ldap_attributetype_free(type); }
};
struct ObjectClassDeleter {
  void operator()(LDAPObjectClass* objectClass) const { ldap_objectclass_free(objectClass); }
};

}  // namespace

void readLdapSchema(NameDatabase& names, const std::string& path) {
  const std::uint16_t source = names.addSource(SourceKind::LdapSchema, path);
  std::ifstream file(path);
  if (!file) {
    names.addWarning(path + ": cannot be read; its names are left out");
    return;
  }
  const bool ldif = path.ends_with(".ldif");
  std::map<std::string, std::string, std::less<>> macros;
  DamagedLines damaged;
  const auto addNames = [&](const Statement& statement, const char* oid, char** aliases,
                            const char* description) {
    const std::string_view written = oid != nullptr ? oid : "";
    const auto dotted = expanded(written, macros);
    const auto identifier = dotted ? dottedIdentifier(*dotted) : std::nullopt;
    if (!identifier) {
      // 389 Directory Server writes "nsServerID-oid" for a definition
      // that was never given an identifier: nothing to name, and no fault.
      if (!written.ends_with(NoIdentifier)) {
        damaged.note(statement.line);
      }
      return;
    }
    for (char** alias = aliases; alias != nullptr && *alias != nullptr; ++alias) {
      names.add(source, identifier->octets(), *alias, {},
                description != nullptr ? description : "");
    }
  };
  // A definition as OpenLDAP parsed it, or null where it could not, with
  // its fields that name it.
  const auto addDefinition = [&addNames, &damaged](const Statement& statement,
                                                   const auto* definition, auto oid, auto aliases,
                                                   auto description) {
    if (definition == nullptr) {
      damaged.note(statement.line);
      return;
    }
    addNames(statement, definition->*oid, definition->*aliases, definition->*description);
  };
  for (const Statement& statement : statementsOf(file, ldif)) {
    // LDIF's attributes are plural, and "objectClass: olcSchemaConfig"
    // is an entry's class, not a definition.
    const std::string keyword = ldif && statement.keyword.starts_with("olc")
                                    ? statement.keyword.substr(3)
                                    : statement.keyword;
    const std::string value(withoutIndex(statement.value));
    int code = 0;
    const char* where = nullptr;
    constexpr unsigned permissive = LDAP_SCHEMA_ALLOW_ALL;
    if (keyword == "objectidentifier") {
      const std::size_t nameEnd = value.find_first_of(" \t");
      const auto dotted = nameEnd == std::string::npos
                              ? std::nullopt
                              : expanded(trimmed(std::string_view(value).substr(nameEnd)), macros);
      if (!dotted) {
        damaged.note(statement.line);
        continue;
      }
      macros[value.substr(0, nameEnd)] = *dotted;
      // A macro names its identifier too ("NetscapeRoot").
      if (const auto identifier = dottedIdentifier(*dotted)) {
        names.add(source, identifier->octets(), value.substr(0, nameEnd));
      }
    } else if (keyword == (ldif ? "attributetypes" : "attributetype")) {
      const std::unique_ptr<LDAPAttributeType, AttributeTypeDeleter> type(
          ldap_str2attributetype(value.c_str(), &code, &where, permissive));
      addDefinition(statement, type.get(), &LDAPAttributeType::at_oid, &LDAPAttributeType::at_names,
                    &LDAPAttributeType::at_desc);
    } else if (keyword == (ldif ? "objectclasses" : "objectclass")) {
      const std::unique_ptr<LDAPObjectClass, ObjectClassDeleter> objectClass(
          ldap_str2objectclass(value.c_str(), &code, &where, permissive));
      addDefinition(statement, objectClass.get(), &LDAPObjectClass::oc_oid,
                    &LDAPObjectClass::oc_names, &LDAPObjectClass::oc_desc);
    }
  }
  damaged.report(names, path, "a definition OpenLDAP reads");
}

}  // namespace pellamar::names
