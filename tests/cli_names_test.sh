#!/usr/bin/env bash
# pellamar-cli's names from every kind of source, with sources the tests
# write themselves (tests/data/names): MIB modules, LDAP schemas in both
# forms, enterprise numbers, the user's names; names as input; the names
# command; damaged files; the cache; and, where Debian's own files are
# installed, a few well-known names from them. Arguments: the program.
set -u
program=$1
data=$(cd "$(dirname "$0")/data/names" && pwd)
source "$(dirname "$0")/program_expectations.sh"
cli=$program
tab=$'\t'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Only the sources a row names: none of the machine's own.
export PELLAMAR_DUMPASN1_CFG="" MIBDIRS="" PELLAMAR_LDAP_SCHEMAS="" PELLAMAR_ENTERPRISES="" \
  PELLAMAR_NAMES_DIRS="" XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
mibs=$data/mibs
path_to_ifentry="{ iso(1) org(3) dod(6) internet(1) mgmt(2) mib-2(1) interfaces(2) ifTable(2) ifEntry(1)"

# A MIB object and an instance of it, for people and for scripts; the
# broken module is reported once, when the sources are first read.
MIBDIRS=$mibs expect mib_instance_for_people 0 "1.3.6.1.2.1.2.2.1.2.7 IF-MIB::ifDescr.7
  named path       $path_to_ifentry ifDescr(2) 7 }
  SNMP MIB         IF-MIB::ifDescr.7 ($mibs/IF-MIB)" \
  "pellamar-cli: warning: $mibs/BROKEN-MIB:8: syntax error, unexpected LOWERCASE_IDENTIFIER, expecting OBJECT; the other names are used" \
  decode KwYBAgECAgECBw==
MIBDIRS=$mibs expect cached_sources_are_not_warned_of_again 0 \
  "KwYBAgECAgEC${tab}1.3.6.1.2.1.2.2.1.2${tab}IF-MIB::ifDescr${tab}${tab}SNMP MIB${tab}${tab}$path_to_ifentry ifDescr(2) }
KwYBAgECAgECBw==${tab}1.3.6.1.2.1.2.2.1.2.7${tab}${tab}IF-MIB::ifDescr.7${tab}SNMP MIB${tab}${tab}$path_to_ifentry ifDescr(2) 7 }" \
  "" decode --tsv --names KwYBAgECAgEC KwYBAgECAgECBw==
MIBDIRS=$mibs program=bash expect names_as_input 1 \
  "ifDescr${tab}1.3.6.1.2.1.2.2.1.2
IF-MIB::ifDescr${tab}1.3.6.1.2.1.2.2.1.2
ifDescr.7${tab}1.3.6.1.2.1.2.2.1.2.7
IF-MIB::ifIndex.7.8${tab}1.3.6.1.2.1.2.2.1.1.7.8" \
  "pellamar-cli: 5:1: No identifier is named \"SNMPv2-SMI::ifDescr\" by any source of names; names are matched in the case written, LDAP's in any case.
pellamar-cli: 6:1: No identifier is named \"ifdescr\" by any source of names; names are matched in the case written, LDAP's in any case. Did you mean \"ifDescr\"?" \
  -c 'set -o pipefail; "$0" encode --json "$@" | python3 -c "import json, sys
for line in sys.stdin:
    item = json.loads(line)
    print(item[\"item\"] + \"\\t\" + item[\"identifier\"])"' \
  "$cli" ifDescr IF-MIB::ifDescr ifDescr.7 IF-MIB::ifIndex.7.8 SNMPv2-SMI::ifDescr ifdescr

# LDAP schemas: macros, aliases, the names slapd defines itself, cn=config
# LDIF; a MIB name comes before an LDAP name of another identifier. Each
# new set of sources is read afresh, and its damaged files reported.
schemas=$data/ldap
schema_warning="pellamar-cli: warning: $schemas/test.schema:26: not a definition OpenLDAP reads, nor are 2 more lines; the other names are used
pellamar-cli: warning: $schemas/ad-schema.ldf:17: not an attribute or class with its identifier and display name; the other names are used"
mib_warning="pellamar-cli: warning: $mibs/BROKEN-MIB:8: syntax error, unexpected LOWERCASE_IDENTIFIER, expecting OBJECT; the other names are used"
MIBDIRS=$mibs PELLAMAR_LDAP_SCHEMAS=$schemas program=bash expect ldap_names_as_input 1 \
  "testColor${tab}2B 06 01 04 01 86 8D 1F 02 01 01
cn${tab}55 04 03
ldifThing${tab}2B 06 01 04 01 86 8D 1F 03 02
LDAP::ifDescr${tab}2B 06 01 04 01 86 8D 1F 02 01 02
TESTCOLOR${tab}2B 06 01 04 01 86 8D 1F 02 01 01" \
  "$mib_warning
$schema_warning
pellamar-cli: 4:1: The name \"ifDescr\" is ambiguous: it names \"1.3.6.1.2.1.2.2.1.2\" (SNMP MIB, IF-MIB::ifDescr), \"1.3.6.1.4.1.99999.2.1.2\" (LDAP schema, LDAP::ifDescr); give the qualified name or the identifier instead." \
  -c 'set -o pipefail; "$0" encode --tsv "$@" | cut -f1,2' "$cli" testColor cn ldifThing ifDescr LDAP::ifDescr TESTCOLOR
PELLAMAR_LDAP_SCHEMAS=$schemas expect ldap_source_shown 0 "2.5.4.3 CN (commonName)
  named path       { joint-iso-itu-t(2) ds(5) 4 cn(3) }
  OpenSSL          CN (commonName)
  LDAP schema      cn, commonName ($schemas/test.schema)" "$schema_warning" decode VQQD

# Enterprise numbers: the owner of every arc below one, from IANA's file
# before Wireshark's.
PELLAMAR_ENTERPRISES=$data/enterprise-numbers:$data/enterprises.tsv program=bash \
  expect enterprise_owner 0 "1.3.6.1.4.1.311.21.8.1
  enterprise       311 Microsoft Corporation
{\"name\":\"Microsoft Corporation\",\"file\":\"$data/enterprise-numbers\"}" \
  "pellamar-cli: warning: $data/enterprises.tsv:6: not an enterprise number followed by its organization; the other names are used" \
  -c '"$0" decode KwYBBAGCNxUIAQ== && "$0" decode --json KwYBBAGCNxUIAQ== | python3 -c "import json, sys
print(json.dumps(json.load(sys.stdin)[\"enterprise\"], separators=(\",\", \":\")))"' "$cli"

# The user's own names: given on the command line, and kept in
# ~/.config/pellamar/names; the first comes first.
mkdir -p "$work/config/pellamar"
printf '1.3.6.1.4.1.99999.1 keptName kept in the configuration\n2.5.4.42 keptGivenName\n' \
  >"$work/config/pellamar/names"
printf '1.3.6.1.4.1.99999.1 givenOnTheCommandLine\n' >"$work/given.names"
under_enterprises="{ iso(1) org(3) dod(6) iana(1) private(4) enterprises(1) 99999"
expect user_names 0 "1.3.6.1.4.1.99999.1 givenOnTheCommandLine
  named path       $under_enterprises givenOnTheCommandLine(1) }
  names file       givenOnTheCommandLine ($work/given.names)
  names file       keptName ($work/config/pellamar/names)
2.5.4.42 keptGivenName
  named path       { joint-iso-itu-t(2) ds(5) 4 keptGivenName(42) }
  names file       keptGivenName ($work/config/pellamar/names)
  OpenSSL          GN (givenName)" "" \
  decode --names-file "$work/given.names" KwYBBAGGjR8B VQQq

# A name that one file gives to three identifiers lists all three; JSON
# lists every name an identifier has, in order.
printf '1.2.3 triple\n1.2.4 triple\n1.2.5 triple\n1.2.6 first\n1.2.6 second\n' >"$work/triple.names"
expect ambiguous_among_exactly_three 1 "" \
  "pellamar-cli: 1:1: The name \"triple\" is ambiguous: it names \"1.2.3\" (names file), \"1.2.4\" (names file), \"1.2.5\" (names file); give the identifier instead." \
  encode --names-file "$work/triple.names" triple
program=bash expect json_lists_every_name 0 "first second" "" \
  -c '"$0" encode --json --names --names-file "$1" 1.2.6 | python3 -c "import json, sys
print(\" \".join(name[\"name\"] for name in json.load(sys.stdin)[\"names\"]))"' "$cli" "$work/triple.names"
# A name from another source than OpenSSL is its own long name; its file
# and description come with it.
printf '1.2.7\tMY-MIB::mine\twhat it is\n' >"$work/described.names"
program=bash expect json_name_fields 0 \
  "MY-MIB::mine MY-MIB::mine names file $work/described.names what it is" "" \
  -c '"$0" encode --json --names-file "$1" 1.2.7 | python3 -c "import json, sys
item = json.load(sys.stdin)
name = item[\"names\"][0]
print(item[\"name\"], item[\"long_name\"], name[\"source\"], name[\"file\"], name[\"description\"])"' \
  "$cli" "$work/described.names"
expect names_file_missing 0 "1.3.6.1.4.1.99999.1 keptName
  named path       $under_enterprises keptName(1) }
  names file       keptName ($work/config/pellamar/names)" \
  "pellamar-cli: warning: $work/missing.names: cannot be read; its names are left out" \
  decode --names-file "$work/missing.names" KwYBBAGGjR8B

# The cache follows its sources: a name changed in a file is seen at once.
printf '1.3.6.1.4.1.99999.1 changedName\n' >"$work/config/pellamar/names"
expect cache_rebuilt_when_a_source_changes 0 "1.3.6.1.4.1.99999.1 changedName
  named path       $under_enterprises changedName(1) }
  names file       changedName ($work/config/pellamar/names)" "" decode KwYBBAGGjR8B
rm "$work/config/pellamar/names"
expect cache_rebuilt_when_a_source_goes 0 "1.3.6.1.4.1.99999.1" "" decode KwYBBAGGjR8B

# A file reached through two folders is read once; IANA's own file is
# looked for in ~/.local/share/pellamar; the cache is kept in ~/.cache
# when XDG_CACHE_HOME is not set.
ln -s "$mibs" "$work/linked-mibs"
MIBDIRS=$mibs:$work/linked-mibs program=bash expect mib_read_once_through_a_link 0 "3" "$mib_warning" \
  -c '"$0" names --sources --tsv | grep -c "^SNMP MIB"' "$cli"
mkdir -p "$work/data/pellamar" "$work/home"
cp "$data/enterprise-numbers" "$work/data/pellamar/"
program=bash expect iana_file_in_the_data_folder 0 "  enterprise       311 Microsoft Corporation" "" \
  -c 'env -u PELLAMAR_ENTERPRISES XDG_DATA_HOME="$1" "$0" decode KwYBBAGCNxUIAQ== | grep enterprise' \
  "$cli" "$work/data"
program=bash expect cache_under_home 0 "$work/home/.cache/pellamar/names.cache" "" \
  -c 'env -u XDG_CACHE_HOME HOME="$1" "$0" decode KwYB >/dev/null && ls "$1"/.cache/pellamar/*' \
  "$cli" "$work/home"

# The names command: patterns, children, sources.
MIBDIRS=$mibs PELLAMAR_LDAP_SCHEMAS=$schemas expect names_matching 0 \
  "1.3.6.1.2.1.2.2.1.2 IF-MIB::ifDescr (SNMP MIB)
1.3.6.1.4.1.99999.2.1.2 ifDescr (LDAP schema)" "$mib_warning
$schema_warning" names IFDESCR
MIBDIRS=$mibs expect names_matching_tsv_with_description 0 \
  "1.3.6.1.2.1.2.2.1.1${tab}IF-MIB::ifIndex${tab}SNMP MIB${tab}$mibs/IF-MIB${tab}A unique value, greater than zero, for each interface." \
  "$mib_warning" names --tsv 'if*x'
MIBDIRS=$mibs expect names_matching_nothing 1 "" \
  "pellamar-cli: 1:1: No name or description matches \"noSuchThing\"." names noSuchThing
MIBDIRS=$mibs expect names_sources_repeat_warnings 0 "~SNMP MIB" "$mib_warning" names --sources
MIBDIRS=$mibs expect names_children 0 "1.3.6.1.2.1.2.2.1.1 IF-MIB::ifIndex (SNMP MIB)
1.3.6.1.2.1.2.2.1.2 IF-MIB::ifDescr (SNMP MIB)" "" names --children ifEntry
MIBDIRS=$mibs expect names_children_of_unknown 1 "" \
  "pellamar-cli: 1:1: No source names an arc below 2.999." names --children 2.999
MIBDIRS=$mibs program=bash expect names_sources 0 "OpenSSL
SNMP MIB${tab}1${tab}$mibs/BROKEN-MIB
SNMP MIB${tab}7${tab}$mibs/SNMPv2-SMI
SNMP MIB${tab}6${tab}$mibs/IF-MIB" \
  "pellamar-cli: warning: $mibs/BROKEN-MIB:8: syntax error, unexpected LOWERCASE_IDENTIFIER, expecting OBJECT; the other names are used" \
  -c '"$0" names --sources --tsv | sed "s/^OpenSSL\t.*/OpenSSL/"' "$cli"
expect names_sources_say_what_gives_them 0 \
  "~LDAP schema +none found: install Debian's slapd package
.*enterprise numbers +none found: install Debian's libwireshark-data package" "" names --sources
expect names_children_of_an_unknown_name 1 "" \
  "pellamar-cli: 1:1: No identifier is named \"noSuchName\" by any source of names." \
  names --children noSuchName
printf '1.3.6.1.4.1.99999.6 say"it\\\\ quoted "and" \\\\ slashed\n' >"$work/quotes.names"
expect names_json_escapes 0 \
  "{\"identifier\":\"1.3.6.1.4.1.99999.6\",\"name\":\"say\\\"it\\\\\\\\\",\"source\":\"names file\",\"file\":\"$work/quotes.names\",\"description\":\"quoted \\\"and\\\" \\\\\\\\ slashed\"}" \
  "" names --json --names-file "$work/quotes.names" 'say*'
program=bash expect names_sources_each_form 0 "OpenSSL
OpenSSL" "" -c '"$0" names --sources --json | head -n 1 | python3 -c "import json, sys
print(json.load(sys.stdin)[\"source\"])" && "$0" names --sources | grep -o "^OpenSSL *[0-9]* names  built in" | cut -d" " -f1' "$cli"
expect names_needs_something 2 "" "~^pellamar-cli: names needs a pattern, --children or --sources" names

# A name file's controls are not written to the terminal or into a field.
printf '1.3.6.1.4.1.99999.5 \033[31mred\tname\n' >"$work/controls.names"
expect controls_in_names 0 "KwYBBAGGjR8F${tab}1.3.6.1.4.1.99999.5${tab}[31mred${tab}${tab}names file${tab}${tab}$under_enterprises 5 }" "" \
  decode --tsv --names --names-file "$work/controls.names" KwYBBAGGjR8F
# Nor are its C1 controls, its format characters, such as U+202E, which
# would show "admin\u202Egnp.exe" as "adminexe.png", or its bytes that are
# not UTF-8: each is written as an escape, for people and in fields.
printf '1.3.6.1.4.1.99999.3 admin\xe2\x80\xaegnp.exe Opens \xc2\x9b2J \xff here\n' >"$work/hostile.names"
expect format_characters_in_names 0 '1.3.6.1.4.1.99999.3 admin\u202Egnp.exe
  names file       admin\u202Egnp.exe ('"$work"'/hostile.names)' "" \
  decode --names-file "$work/hostile.names" KwYBBAGGjR8D
expect format_characters_in_name_fields 0 "1.3.6.1.4.1.99999.3${tab}admin\\u202Egnp.exe${tab}names file${tab}$work/hostile.names${tab}Opens \\u009B2J \\xFF here" "" \
  names --tsv --names-file "$work/hostile.names" 'admin*'
expect format_characters_in_a_message 1 "" \
  'pellamar-cli: 1:1: No name or description matches "zz\x1B[2J\u202E".' \
  names --names-file "$work/hostile.names" $'zz\e[2J\xe2\x80\xae'

# A module that crashes libsmi costs that module alone, never the command;
# names below labels that do not resolve are never given under arc 0.
snmp=$data/snmp
MIBDIRS=$snmp expect module_that_crashes_libsmi 1 "1.3.6.1.2.1.1.1.0${tab}2B 06 01 02 01 01 01 00${tab}KwYBAgEBAQA=${tab}06 08 2B 06 01 02 01 01 01 00${tab}BggrBgECAQEBAA==
OLD-STYLE-MIB::oldStyleCount${tab}2B 06 01 02 01 A1 12 01${tab}KwYBAgGhEgE=${tab}06 08 2B 06 01 02 01 A1 12 01${tab}BggrBgECAaESAQ==" \
  "~^pellamar-cli: warning: $snmp/CRASH-TC: libsmi [^
]+ reading it; its names are left out
pellamar-cli: warning: $snmp/CYCLE-A-MIB: the 2 names under cycleB are left out, as no module read resolves it
pellamar-cli: warning: $snmp/CYCLE-B-MIB: the name under cycleA is left out, as no module read resolves it
pellamar-cli: warning: $snmp/MISSING-MANY-MIB:6: failed to locate MIB module \`ABSENT-MIB'; the name under absentOne is left out, as no module read resolves it
pellamar-cli: warning: $snmp/SYNTAX-ERROR-MIB:16: syntax error, unexpected LOWERCASE_IDENTIFIER, expecting OBJECT; the other names are used
pellamar-cli: 3:1: No identifier is named \"cycleA\" by any source of names; names are matched in the case written, LDAP's in any case.\$" \
  encode --tsv 1.3.6.1.2.1.1.1.0 OLD-STYLE-MIB::oldStyleCount cycleA
MIBDIRS=$snmp program=bash expect smiv2_module_first 0 "1.3.6.1.2.1.1.1.0${tab}SNMPv2-MIB::sysDescr.0" "" \
  -c '"$0" decode --hex --tsv --names 2B06010201010100 | cut -f2,4' "$cli"

# Table instances written by their INDEX, and read back.
input='INDEX-KINDS-MIB::hostUp.ipv4."10.0.0.1"
hostUp.ipv4.x
' MIBDIRS=$data/snmp-index:$snmp expect instances_by_index 1 \
  "~^INDEX-KINDS-MIB::hostUp.ipv4.\"10.0.0.1\"${tab}2B 06 01 02 01 A1 79 03 01 03 01 04 0A 00 00 01${tab}[^${tab}]+${tab}[^${tab}]+${tab}[^${tab}]+${tab}${tab}INDEX-KINDS-MIB::hostUp.ipv4.\"10.0.0.1\"${tab}SNMP MIB${tab}${tab}\\{ [^}]+ hostUp\\(3\\) 1 4 10 0 0 1 \\}\$" \
  "~pellamar-cli: 2:1: \"hostUp.ipv4.x\" is no instance of INDEX-KINDS-MIB::hostUp: \"x\" stands where the index is an InetAddress, written \"...\".\$" \
  encode --tsv --names
MIBDIRS=$data/snmp-index:$snmp expect instance_for_people 0 \
  "~^1.3.6.1.2.1.4345.3.1.3.1.4.10.0.0.1 INDEX-KINDS-MIB::hostUp.ipv4.\"10.0.0.1\"
.*
  SNMP MIB         INDEX-KINDS-MIB::hostUp.ipv4.\"10.0.0.1\" \\($data/snmp-index/INDEX-KINDS-MIB\\)\$" "~" \
  decode --names --hex "2B 06 01 02 01 A1 79 03 01 03 01 04 0A 00 00 01"

# The names that come with Pellamar, and the reader of OpenSSL's table, are
# found from where the program is, as a package installs them.
mkdir -p "$work/prefix/bin" "$work/prefix/share/pellamar/names" "$work/prefix/libexec/pellamar"
cp "$cli" "$work/prefix/bin/"
cp "$(dirname "$cli")/../libexec/pellamar/pellamar-name-reader" "$work/prefix/libexec/pellamar/"
cp "$(dirname "$0")/../data/names/dicom.names" "$work/prefix/share/pellamar/names/"
program=bash expect packaged_names_beside_the_program 0 "ExplicitVRLittleEndian${tab}1.2.840.10008.1.2.1
rsaEncryption${tab}1.2.840.113549.1.1.1" "" \
  -c 'env -u PELLAMAR_NAMES_DIRS "$0" encode --json ExplicitVRLittleEndian rsaEncryption | python3 -c "import json, sys
for line in sys.stdin:
    item = json.loads(line)
    print(item[\"item\"] + \"\\t\" + item[\"identifier\"])"' "$work/prefix/bin/pellamar-cli"

# Debian's own files, where they are installed.
# Each module of net-snmp's own (package libsnmp-base) alone, without the
# modules it imports: libsmi crashes on some, which must cost no command.
if compgen -G "/usr/share/snmp/mibs/*.txt" >/dev/null; then
  for module in /usr/share/snmp/mibs/*.txt; do
    mkdir -p "$work/alone/$(basename "$module")"
    cp "$module" "$work/alone/$(basename "$module")/"
    MIBDIRS=$work/alone/$(basename "$module") program=bash expect "alone_$(basename "$module")" 0 \
      "1.2.3${tab}2A 03" "" -c '"$0" encode --tsv 1.2.3 2>/dev/null | cut -f1,2' "$cli"
  done
  # Their faults are not the user's to mend: names --sources lists them,
  # other commands do not repeat them.
  MIBDIRS=/usr/share/snmp/mibs program=bash expect installed_modules_not_warned_of 0 "1.2.3${tab}2A 03" "" \
    -c '"$0" encode --tsv 1.2.3 | cut -f1,2' "$cli"
  XDG_CACHE_HOME=$work/fresh-cache MIBDIRS=/usr/share/snmp/mibs program=bash expect installed_modules_listed_by_sources 0 \
    "~pellamar-cli: warning: /usr/share/snmp/mibs/" "" -c '"$0" names --sources 2>&1 >/dev/null' "$cli"
else
  echo "skipped each_net_snmp_module_alone: /usr/share/snmp/mibs has no module (package libsnmp-base)"
fi
if [ -r /etc/ldap/schema/core.schema ]; then
  program=bash expect debian_ldap_schema 0 "  LDAP schema      givenName, gn (/etc/ldap/schema/core.schema)" "" \
    -c 'env -u PELLAMAR_LDAP_SCHEMAS "$0" encode 2.5.4.42 | grep "core.schema"' "$cli"
else
  echo "skipped debian_ldap_schema: /etc/ldap/schema/core.schema is not installed (package slapd)"
fi
if [ -r /usr/share/wireshark/enterprises.tsv ]; then
  program=bash expect debian_enterprise_numbers 0 "  enterprise       311 Microsoft" "" \
    -c 'env -u PELLAMAR_ENTERPRISES "$0" encode 1.3.6.1.4.1.311.21.8.1 | grep enterprise' "$cli"
else
  echo "skipped debian_enterprise_numbers: /usr/share/wireshark/enterprises.tsv is not installed (package libwireshark-data)"
fi
finish
