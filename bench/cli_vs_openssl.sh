#!/usr/bin/env bash
# pellamar-cli against a lean OpenSSL program (bench/openssl_tsv.cpp) on the
# same file of real-looking identifiers, both ways, with the outputs
# compared byte for byte. Prints the times (best of three whole runs, in
# milliseconds), the ratios and the peak memory; with --instructions, also
# the instructions per identifier that callgrind counts on the first
# 100,000 lines, which the noise of a shared machine does not move.
#   bench/cli_vs_openssl.sh BUILD-TREE [LINES] [--instructions]   (LINES: 1,000,000)
set -euo pipefail
build=$1
lines=${2:-1000000}
instructions=${3:-}
cli=$build/cli/pellamar-cli
reference=$build/bench/openssl_tsv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Identifiers under the arcs that real lists use (PKIX, PKCS, X.500, LDAP,
# SNMP, enterprise numbers, UUIDs), each with one to five more arcs of the
# sizes found there.
awk -v lines="$lines" -f "$(dirname "$0")/real_looking_identifiers.awk" >"$work/identifiers"

# Milliseconds and peak KiB of the best of three runs of the command,
# reading $1 and writing $2.
measure() {
  local input=$1 output=$2 best="" peak=0
  shift 2
  for _ in 1 2 3; do
    local start end
    # A fresh file each time: truncating the last run's output would be
    # counted too.
    rm -f "$output"
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/memory" "$@" <"$input" >"$output"
    end=$(date +%s%N)
    local milliseconds=$(((end - start) / 1000000))
    if [ -z "$best" ] || [ "$milliseconds" -lt "$best" ]; then
      best=$milliseconds
    fi
    local kib
    kib=$(tail -n 1 "$work/memory")
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  echo "$best $peak"
}

# Instructions an identifier: a run on the sample, less a run on nothing.
instructions_per_line() {
  local input=$1 count
  shift
  count=$(wc -l <"$input")
  total() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
      sed -n 's/.*refs: *\([0-9,]*\).*/\1/p' | tr -d ,
  }
  local full empty
  full=$(total "$@" <"$input")
  empty=$(total "$@" </dev/null)
  echo $(((full - empty) / count))
}

compare() {
  local direction=$1 input=$2
  read -r ours ours_kib < <(measure "$input" "$work/ours" "$cli" "$direction" --tsv 2>/dev/null)
  read -r theirs theirs_kib < <(measure "$input" "$work/theirs" "$reference" "$direction")
  cmp "$work/ours" "$work/theirs"
  local counts=""
  if [ "$instructions" = --instructions ]; then
    head -n 100000 "$input" >"$work/sample"
    counts=" $(instructions_per_line "$work/sample" "$cli" "$direction" --tsv) | $(
      instructions_per_line "$work/sample" "$reference" "$direction") |"
  fi
  awk -v d="$direction" -v o="$ours" -v t="$theirs" -v ok="$ours_kib" -v tk="$theirs_kib" \
    -v counts="$counts" 'BEGIN {
    printf "| %s --tsv | %.3f s | %.3f s | %.2f x as fast | %.1f MB | %.1f MB |%s\n",
           d, o / 1000, t / 1000, (o > 0 ? t / o : 0), ok / 1024, tk / 1024, counts }'
}

echo "$lines identifiers, outputs identical byte for byte:"
header="| command | pellamar-cli | OpenSSL program | ratio | peak memory | OpenSSL peak |"
rule="|---|---|---|---|---|---|"
if [ "$instructions" = --instructions ]; then
  header+=" instructions an identifier | OpenSSL's |"
  rule+="---|---|"
fi
echo "$header"
echo "$rule"
compare encode "$work/identifiers"
cut -f3 "$work/ours" >"$work/base64"
compare decode "$work/base64"
