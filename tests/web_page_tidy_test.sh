#!/usr/bin/env bash
# HTML Tidy finds no error in the page. Arguments: tidy, the page.
set -uo pipefail
errors=$("$1" -errors -quiet "$2" 2>&1 >/dev/null)
status=$?
echo "$errors"
# 0: nothing to say; 1: warnings only, which -errors leaves out; 2: errors.
[ "$status" -lt 2 ] && [ -z "$errors" ]
