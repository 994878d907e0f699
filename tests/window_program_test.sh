#!/usr/bin/env bash
# The window program's command line: answered on the terminal, with no
# display and no GUI platform. Arguments: the program, its version.
set -u
program=$1
version=$2
source "$(dirname "$0")/program_expectations.sh"

# Any attempt to open a window fails loudly: there is no display, and the
# X11 platform is asked for.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

usage="Usage: pellamar [OPTION]"
usage_pattern="Usage: pellamar \\[OPTION\\]"
try="Try 'pellamar --help' for more information."

expect help 0 "~^$usage_pattern
Open the Pellamar window.*
  -h, --help     display this help and exit
  -v, --version  output version information and exit
.*" "" --help
expect short_help 0 "~^$usage_pattern" "" -h
expect version 0 "~^pellamar $version
Copyright \\(C\\) [0-9]+ The Pellamar developers\\.
License MIT" "" --version
expect short_version 0 "~^pellamar $version
" "" -v
expect unknown_option 2 "" "pellamar: unknown option '--bogus'
$usage
$try" --bogus=1
expect unknown_single_dash_word 2 "" "pellamar: unknown option '-platfrom'
$usage
$try" -platfrom offscreen
expect qt_option_without_value 2 "" "pellamar: Missing value after '-platform'.
$usage
$try" -platform
expect_write_failure help_to_full_disk full --help
expect_write_failure version_to_closed_output closed --version
expect operand 2 "" "pellamar: unexpected operand 'identifiers.txt'; the window reads no files.
$usage
$try" identifiers.txt
# Arguments are text from outside: their controls are shown, not obeyed.
expect operand_escaped 2 "" "pellamar: unexpected operand 'x\\x1B]0;t\\x07'; the window reads no files.
$usage
$try" $'x\e]0;t\a'
# Qt's own options are passed on: the window opens (and is stopped here)
# instead of a usage error.
timeout 2 "$program" -platform offscreen -style fusion >/dev/null 2>&1
status=$?
if [ "$status" -eq 124 ]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAILED qt_options_open_the_window (exit status $status, expected to be still running)"
fi
finish
