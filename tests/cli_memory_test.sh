#!/usr/bin/env bash
# pellamar-cli streams: its peak memory stays where it is for a thousand
# lines, for two million lines, and for one line of 50 MB; and scan's for
# one encoding and for 50 MB of them, as DER, PEM and Base64, and for one
# element of 50 MB. Arguments: the program, GNU time.
set -euo pipefail
program=$1
gnu_time=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seq 1000 | sed 's/^/1.3.6.1.4.1./' >"$work/small"
seq 2000000 | sed 's/^/1.3.6.1.4.1./' >"$work/large"
head -c 50000000 /dev/zero | tr '\0' '1' >"$work/long-line"

# Peak resident memory in KiB of converting the file $1.
peak() {
  "$gnu_time" -f %M -o "$work/peak" "$program" encode --tsv <"$1" >/dev/null 2>&1 || true
  tail -n 1 "$work/peak"
}

small=$(peak "$work/small")
allowed=$((small + 2048))
status=0
for input in large long-line; do
  measured=$(peak "$work/$input")
  echo "peak memory: $small KiB for 1,000 lines, $measured KiB for $input"
  if [ "$measured" -gt "$allowed" ]; then
    echo "FAILED: $input needs more than 2 MiB beyond the small input"
    status=1
  fi
done
# An extension-like element with an identifier wrapped in a string, and as
# many as 50 MB hold, one after another and inside one SEQUENCE.
python3 - "$work" <<'PYTHON'
import base64, sys
element = bytes.fromhex("3010" "0603551d25" "0409" "3007" "06052b06010505")
many = element * (50000000 // len(element))
open(sys.argv[1] + "/one.der", "wb").write(element)
open(sys.argv[1] + "/many.der", "wb").write(many)
open(sys.argv[1] + "/one-element.der", "wb").write(bytes([0x30, 0x84]) + len(many).to_bytes(4, "big") + many)
open(sys.argv[1] + "/many.base64", "wb").write(base64.encodebytes(many))
with open(sys.argv[1] + "/many.pem", "w") as out:
    for start in range(0, len(many), 3000):
        text = base64.encodebytes(many[start:start + 3000]).decode()
        out.write("-----BEGIN BLOCK-----\n" + text + "-----END BLOCK-----\n")
PYTHON
scan_peak() {
  "$gnu_time" -f %M -o "$work/peak" "$program" scan --tsv <"$1" >/dev/null 2>&1 || true
  tail -n 1 "$work/peak"
}
export MIBDIRS="" PELLAMAR_LDAP_SCHEMAS="" PELLAMAR_ENTERPRISES="" PELLAMAR_DUMPASN1_CFG="" \
  PELLAMAR_NAMES_DIRS="" XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
# The first run makes the names cache; the second is the one to compare.
scan_peak "$work/one.der" >/dev/null
small=$(scan_peak "$work/one.der")
allowed=$((small + 2048))
for input in many.der many.pem many.base64 one-element.der; do
  measured=$(scan_peak "$work/$input")
  echo "scan peak memory: $small KiB for one element, $measured KiB for $input"
  if [ "$measured" -gt "$allowed" ]; then
    echo "FAILED: scan of $input needs more than 2 MiB beyond one element"
    status=1
  fi
done
exit $status
