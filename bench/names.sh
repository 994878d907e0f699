#!/usr/bin/env bash
# The cost of names, with every source this machine has (and DICOM's names
# from the source tree): a one-shot decode --names the first time, when the
# cache is built, and afterwards (best and median of twenty runs, and the
# same for --version, which starts the process alone); and a
# million identifiers under the arcs real lists use (as
# bench/cli_vs_openssl.sh makes them) encoded with and without --names,
# and a million names with an instance after each against the same
# identifiers dotted (best of three each), with the ratios and the peak
# memory. With
# --instructions, also the instructions per identifier that callgrind
# counts on the first 100,000 lines.
#   bench/names.sh BUILD-TREE [LINES] [--instructions]   (LINES: 1,000,000)
set -euo pipefail
build=$1
lines=${2:-1000000}
instructions=${3:-}
cli=$build/cli/pellamar-cli
source_tree=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME=$work/cache PELLAMAR_NAMES_DIRS=$source_tree/data/names

# The microseconds a command takes, read from bash's own clock: timing with
# date(1) would add the start of another process to every figure.
microseconds() {
  local start end
  start=${EPOCHREALTIME/[.,]/}
  "$@" >/dev/null 2>&1
  end=${EPOCHREALTIME/[.,]/}
  echo $((end - start))
}

echo "Sources found:"
"$cli" names --sources --tsv 2>/dev/null |
  awk -F'\t' '{ files[$1]++; names[$1] += $2 }
              END { for (k in files) printf "  %-20s %4d files %8d names\n", k, files[k], names[k] }'
rm -rf "$XDG_CACHE_HOME"
first=$(microseconds "$cli" decode --names KwYBAgECAgEC)
# The best and the median of twenty runs of a command, in milliseconds.
best_and_median() {
  local times=() sorted
  for _ in $(seq 20); do
    times+=("$(microseconds "$@")")
  done
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  printf '%.1f ms, median %.1f ms' "$(echo "$(echo "$sorted" | head -n 1) / 1000" | bc -l)" \
    "$(echo "$(echo "$sorted" | sed -n 10p) / 1000" | bc -l)"
}
peak() {
  /usr/bin/time -o "$work/peak" -f '%M' "$@" >/dev/null 2>&1
  cat "$work/peak"
}
memory=$(peak "$cli" decode --names KwYBAgECAgEC)
printf 'decode --names KwYBAgECAgEC: first run %.1f ms; then best %s; peak %.1f MB\n' \
  "$(echo "$first / 1000" | bc -l)" "$(best_and_median "$cli" decode --names KwYBAgECAgEC)" \
  "$(echo "$memory / 1024" | bc -l)"
# Starting the process, which every run pays: --version reads no names.
printf 'starting the process alone (--version): best %s\n' "$(best_and_median "$cli" --version)"

awk -v lines="$lines" -f "$(dirname "$0")/real_looking_identifiers.awk" >"$work/identifiers"

# The best of three runs of a command on a file of input.
best_on() {
  local input=$1 best=0 elapsed
  shift
  for _ in 1 2 3; do
    elapsed=$(microseconds "$@" <"$input")
    if [ "$best" -eq 0 ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
  done
  echo "$best"
}
plain=$(best_on "$work/identifiers" "$cli" encode --tsv)
named=$(best_on "$work/identifiers" "$cli" encode --tsv --names)
plain_memory=$(peak "$cli" encode --tsv <"$work/identifiers")
named_memory=$(peak "$cli" encode --tsv --names <"$work/identifiers")
printf '%d identifiers, encode --tsv: %.0f ms (peak %.1f MB); with --names: %.0f ms (peak %.1f MB); %.2f times\n' \
  "$lines" "$(echo "$plain / 1000" | bc -l)" "$(echo "$plain_memory / 1024" | bc -l)" \
  "$(echo "$named / 1000" | bc -l)" "$(echo "$named_memory / 1024" | bc -l)" \
  "$(echo "$named / $plain" | bc -l)"
"$cli" encode --tsv --names <"$work/identifiers" 2>/dev/null |
  awk -F'\t' '{ total++; if ($6 != "") own++; if ($6 != "" || $7 != "" || $9 != "") known++ }
              END { printf "  named: %.1f%% their own name, %.1f%% a name or a named ancestor or owner\n",
                           100 * own / total, 100 * known / total }'

# Names as input: a name with an instance after it on each line, as
# SNMP tools write them, against the same identifiers as dotted text.
# IF-MIB::ifDescr where the IETF modules are installed, else OpenSSL's
# rsadsi, which every system has.
name=IF-MIB::ifDescr
if ! "$cli" encode --tsv "$name" >/dev/null 2>&1; then name=rsadsi; fi
dotted=$("$cli" encode --json "$name" 2>/dev/null | sed 's/.*"identifier":"\([0-9.]*\)".*/\1/')
seq 1 "$lines" | sed "s/^/$name./" >"$work/names"
seq 1 "$lines" | sed "s/^/$dotted./" >"$work/dotted"
by_name=$(best_on "$work/names" "$cli" encode --tsv)
by_number=$(best_on "$work/dotted" "$cli" encode --tsv)
if ! cmp -s <("$cli" encode --tsv <"$work/names" | cut -f2-) <("$cli" encode --tsv <"$work/dotted" | cut -f2-); then
  echo "$0: $name.N and $dotted.N give different encodings" >&2
  exit 1
fi
printf '%d names as input (%s.N): %.0f ms; the same identifiers dotted: %.0f ms; %.2f times\n' \
  "$lines" "$name" "$(echo "$by_name / 1000" | bc -l)" "$(echo "$by_number / 1000" | bc -l)" \
  "$(echo "$by_name / $by_number" | bc -l)"
# net-snmp's own reading of names, as a careful user would run it: one
# snmptranslate for many names, on a sample.
if command -v snmptranslate >/dev/null && [ "$name" = IF-MIB::ifDescr ]; then
  sample=$((lines < 10000 ? lines : 10000))
  head -n "$sample" "$work/names" >"$work/sample-names"
  ours=$(microseconds "$cli" encode --tsv <"$work/sample-names")
  theirs=$(microseconds xargs -a "$work/sample-names" snmptranslate -m ALL -On)
  printf '  %d of them: pellamar-cli %.0f ms, snmptranslate -m ALL -On %.0f ms\n' \
    "$sample" "$(echo "$ours / 1000" | bc -l)" "$(echo "$theirs / 1000" | bc -l)"
fi

if [ "$instructions" = "--instructions" ]; then
  head -n 100000 "$work/identifiers" >"$work/sample"
  # Under valgrind the program is another file: its cache is made first.
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$cli" decode --names KwYB >/dev/null 2>&1
  for names in "" --names; do
    valgrind --tool=callgrind --callgrind-out-file="$work/callgrind" \
      "$cli" encode --tsv $names <"$work/sample" >/dev/null 2>&1
    total=$(callgrind_annotate "$work/callgrind" | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
    printf 'encode --tsv %-8s %6.0f instructions per identifier\n' "$names" \
      "$(echo "$total / 100000" | bc -l)"
  done
fi
