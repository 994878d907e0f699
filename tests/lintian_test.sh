#!/usr/bin/env bash
# Builds the .deb packages from a finished build tree and requires that
# lintian, at its default level, finds no error and no warning in any.
# Argument: the build tree.
set -euo pipefail
build=$1
packages=$(mktemp -d)
trap 'rm -rf "$packages"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$packages" >/dev/null
shopt -s nullglob
debs=("$packages"/*.deb)
[ ${#debs[@]} -gt 0 ] || { echo "cpack made no package"; exit 1; }
for deb in "${debs[@]}"; do
  echo "lintian $(basename "$deb")"
  # lintian warns about running as root on standard error; the findings are
  # on standard output.
  lintian --fail-on error,warning "$deb" 2>/dev/null
done
