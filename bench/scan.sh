#!/usr/bin/env bash
# pellamar-cli scan against OpenSSL, in one run, on this machine's CA bundle
# and on large DER made from it:
#  - the bundle (/etc/ssl/certs/ca-certificates.crt) as one process, best
#    and median of 20 runs, beside the shortest OpenSSL pipeline that lists
#    its identifiers (crl2pkcs7 | asn1parse, which sees only the outer
#    layer: extension values stay unread);
#  - SIZE MB of DER (the bundle's certificates again and again inside one
#    SEQUENCE), listed and counted, beside openssl asn1parse, in MB/s;
#  - the peak memory of scanning standard input: one certificate, and the
#    SIZE MB.
# Names come from every source the machine has; the cache is made first.
#   bench/scan.sh BUILD-TREE [SIZE]   (SIZE: 200)
set -euo pipefail
build=$1
size_mb=${2:-200}
cli=$build/cli/pellamar-cli
bundle=/etc/ssl/certs/ca-certificates.crt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

microseconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

# "best X ms, median Y ms" of `runs` runs of the command.
timed() {
  local runs=$1
  shift
  local times=()
  for _ in $(seq "$runs"); do
    times+=("$(microseconds "$@")")
  done
  printf '%s\n' "${times[@]}" | sort -n |
    awk '{ t[NR] = $1 } END { printf "best %.1f ms, median %.1f ms", t[1] / 1000, t[int((NR + 1) / 2)] / 1000 }'
}

if [ ! -r "$bundle" ]; then
  echo "skipped: $bundle is not installed (package ca-certificates)"
  exit 0
fi

openssl_outer() {
  openssl crl2pkcs7 -nocrl -certfile "$1" -outform DER | openssl asn1parse -inform DER | grep -c 'prim: OBJECT'
}

"$cli" scan --count "$bundle" >/dev/null 2>&1 || true
echo "CA bundle, $(grep -c 'BEGIN CERTIFICATE' "$bundle") certificates:"
echo "  pellamar-cli scan --count: $(timed 20 "$cli" scan --count "$bundle");" \
  "$("$cli" scan --tsv "$bundle" 2>/dev/null | wc -l) identifiers," \
  "$("$cli" scan --count --tsv "$bundle" 2>/dev/null | wc -l) distinct"
echo "  openssl crl2pkcs7 | asn1parse: $(timed 5 openssl_outer "$bundle");" \
  "$(openssl_outer "$bundle") identifiers (outer layer only)"

# The bundle's certificates as DER, repeated to SIZE MB inside one SEQUENCE
# (a definite length of four octets), as one large file.
python3 - "$bundle" "$size_mb" "$work/large.der" "$work/one.der" <<'PYTHON'
import base64, re, sys
text = open(sys.argv[1]).read()
certificates = [base64.b64decode("".join(block.split()))
                for block in re.findall(r"-----BEGIN CERTIFICATE-----(.*?)-----END", text, re.S)]
once = b"".join(certificates)
body = once * (int(sys.argv[2]) * 1000000 // len(once) + 1)
with open(sys.argv[3], "wb") as out:
    out.write(bytes([0x30, 0x84]) + len(body).to_bytes(4, "big") + body)
open(sys.argv[4], "wb").write(certificates[0])
PYTHON
bytes=$(stat -c %s "$work/large.der")
rate() { awk -v bytes="$bytes" -v us="$1" 'BEGIN { printf "%.0f MB/s (%.2f s)", bytes / us, us / 1000000 }'; }
echo "Large DER, $((bytes / 1000000)) MB:"
best() {
  local b=0 t
  for _ in 1 2 3; do
    t=$(microseconds "$@")
    if [ "$b" -eq 0 ] || [ "$t" -lt "$b" ]; then b=$t; fi
  done
  echo "$b"
}
echo "  pellamar-cli scan --count: $(rate "$(best "$cli" scan --count "$work/large.der")")"
echo "  pellamar-cli scan --tsv:   $(rate "$(best "$cli" scan --tsv "$work/large.der")")"
echo "  pellamar-cli scan:         $(rate "$(best "$cli" scan "$work/large.der")")"
echo "  openssl asn1parse:         $(rate "$(microseconds openssl asn1parse -inform DER -in "$work/large.der")")"

if command -v /usr/bin/time >/dev/null; then
  peak() {
    /usr/bin/time -f %M -o "$work/peak" "$cli" scan --tsv <"$1" >/dev/null 2>&1 || true
    tail -n 1 "$work/peak"
  }
  echo "Peak memory on standard input: $(peak "$work/one.der") KiB for one certificate," \
    "$(peak "$work/large.der") KiB for $((bytes / 1000000)) MB"
fi
