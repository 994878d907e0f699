#!/usr/bin/env bash
# Runs the page's test in Chromium with the cases that the window's own
# conversions give. Arguments: node, the page, the window_results program.
# puppeteer-core comes from this folder's package.json (npm ci).
set -euo pipefail
node=$1
page=$2
window_results=$3
here=$(dirname "$0")
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "puppeteer-core is missing: run npm ci --prefix $here (./dev.sh test does)"
  exit 1
fi
cases=$(mktemp)
trap 'rm -f "$cases"' EXIT
"$window_results" >"$cases"
"$node" "$here/page_test.mjs" "$page" "$cases"
