#!/usr/bin/env bash
# How many real identifiers the names installed on this machine name:
# SNMP objects and their first instances as smidump lists them from the
# MIB modules found, the identifiers written in the LDAP schemas, DICOM's
# UIDs as pydicom lists them, every identifier in the system's CA
# certificates as openssl asn1parse finds them, and a few UUIDs. Prints,
# for each field and in all, the share with a name of their own, and with
# a name, a named ancestor or an enterprise owner.
#   bench/names_coverage.sh BUILD-TREE
set -euo pipefail
cli=$1/cli/pellamar-cli
source_tree=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PELLAMAR_NAMES_DIRS=$source_tree/data/names

for directory in /var/lib/mibs/ietf /var/lib/mibs/iana /usr/share/snmp/mibs; do
  [ -d "$directory" ] || continue
  for module in "$directory"/*; do
    [ -f "$module" ] || continue
    SMIPATH=/var/lib/mibs/ietf:/var/lib/mibs/iana:/usr/share/snmp/mibs \
      smidump -k -f identifiers "$module" 2>/dev/null |
      awk '$3 ~ /^(node|scalar|table|row|column|notification|group|compliance|capabilities)$/ {
             print "snmp\t" $4
             if ($3 == "column" || $3 == "scalar") print "snmp-instance\t" $4 ($3 == "scalar" ? ".0" : ".1") }'
  done
done | sort -u >"$work/snmp"
grep -ho '[0-9]\+\(\.[0-9]\+\)\{2,\}' /etc/ldap/schema/*.schema 2>/dev/null | sort -u |
  sed 's/^/ldap\t/' >"$work/ldap" || true
/usr/bin/python3 -c 'from pydicom._uid_dict import UID_dictionary as d; print("\n".join("dicom\t" + k for k in d))' \
  >"$work/dicom" 2>/dev/null || true
# Every OBJECT IDENTIFIER in the certificates, wrapped extension values
# included, by a small DER walker of Python's own.
/usr/bin/python3 - /etc/ssl/certs/*.pem >"$work/certificates" <<'PYTHON' || true
import base64, re, sys

def walk(data, found, depth=0):
    at = 0
    while at < len(data):
        if at + 2 > len(data):
            return False
        tag, length = data[at], data[at + 1]
        at += 2
        if length & 0x80:
            count = length & 0x7F
            if count == 0 or count > 4 or at + count > len(data):
                return False
            length = int.from_bytes(data[at:at + count], "big")
            at += count
        if at + length > len(data):
            return False
        value = data[at:at + length]
        if tag == 0x06 and value:
            arcs, number = [], 0
            for octet in value:
                number = number << 7 | octet & 0x7F
                if not octet & 0x80:
                    arcs.append(number)
                    number = 0
            first = min(arcs[0] // 40, 2)
            found.add(".".join(map(str, [first, arcs[0] - 40 * first] + arcs[1:])))
        elif tag & 0x20 and depth < 32:
            walk(value, found, depth + 1)
        elif tag in (0x04, 0x03) and depth < 32:
            inner = value[1:] if tag == 0x03 else value
            attempt = set()
            if inner and walk(inner, attempt, depth + 1):
                found |= attempt
        at += length
    return True

found = set()
for path in sys.argv[1:]:
    text = open(path).read()
    for block in re.findall(r"-----BEGIN [A-Z ]+-----(.*?)-----END", text, re.S):
        walk(base64.b64decode(block), found)
for identifier in sorted(found):
    print("certificates\t" + identifier)
PYTHON
printf 'uuid\t2.25.329800735698586629295641978511506172918\nuuid\t2.25.1\n' >"$work/uuid"

cat "$work"/snmp "$work"/ldap "$work"/dicom "$work"/certificates "$work"/uuid >"$work/all"
cut -f2 "$work/all" | "$cli" encode --tsv --names 2>/dev/null >"$work/named" || true
# The TSV fields after the forms: own name (6), nearest name (7), its
# source (8), enterprise (9), named path (10). Items are matched by their
# text, as one that does not convert writes no line.
awk -F'\t' 'NR == FNR { if (!($2 in field)) field[$2] = $1; next }
            { f = field[$1]; total[f]++; all++
              if ($6 != "") { own[f]++; owned++ }
              if ($6 != "" || $7 != "" || $9 != "") { known[f]++; knew++ } }
            END { for (f in total)
                    printf "%-13s %6d identifiers: %5.1f%% their own name, %5.1f%% named or under a name\n",
                           f, total[f], 100 * own[f] / total[f], 100 * known[f] / total[f]
                  printf "%-13s %6d identifiers: %5.1f%% their own name, %5.1f%% named or under a name\n",
                         "in all", all, 100 * owned / all, 100 * knew / all }' "$work/all" "$work/named"
echo "($(wc -l <"$work/all") identifiers gathered; those that did not convert are left out)"
