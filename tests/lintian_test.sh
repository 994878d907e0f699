#!/usr/bin/env bash
# Builds the .deb packages from a finished build tree twice with the same
# SOURCE_DATE_EPOCH and requires that both runs give the same bytes, that
# no program carries a RUNPATH, and that lintian, at its default level,
# finds no error and no warning in any package. Argument: the build tree.
set -euo pipefail
build=$1
packages=$(mktemp -d)
trap 'rm -rf "$packages"' EXIT
export SOURCE_DATE_EPOCH=1765000000
for run in first second; do
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$packages/$run" >/dev/null
done
shopt -s nullglob
debs=("$packages"/first/*.deb)
[ ${#debs[@]} -gt 0 ] || { echo "cpack made no package"; exit 1; }
status=0
for deb in "${debs[@]}"; do
  name=$(basename "$deb")
  if ! cmp -s "$deb" "$packages/second/$name"; then
    echo "$name differs between two runs of cpack"
    status=1
  fi
  dpkg-deb -x "$deb" "$packages/files"
  echo "lintian $name"
  # lintian warns about running as root on standard error; the findings are
  # on standard output.
  lintian --fail-on error,warning "$deb" 2>/dev/null || status=1
done
for program in "$packages"/files/usr/bin/*; do
  if readelf -d "$program" | grep -Eq 'RUNPATH|RPATH'; then
    echo "$(basename "$program") carries a RUNPATH"
    status=1
  fi
done
exit $status
