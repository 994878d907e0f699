#!/usr/bin/env bash
# pellamar-cli streams: its peak memory stays where it is for a thousand
# lines, for two million lines, and for one line of 50 MB. Arguments: the
# program, GNU time.
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
exit $status
