# Runs a built program as a user or a script would and compares what it
# does with what is expected; sourced by the tests of each program.
#
#   expect NAME STATUS STDOUT STDERR [ARGUMENT...]
#
# runs "$program" with the arguments, standard input from $input (empty
# when unset), and requires the exit status STATUS and the two outputs
# exactly as given (with no final line break; ~ before a text makes it a
# bash regular expression instead). A summary line and the exit status of
# the whole test come from finish.

passed=0
failed=0
input=""

matches() {
  local actual=$1 wanted=$2
  if [[ $wanted == "~"* ]]; then
    [[ $actual =~ ${wanted:1} ]]
  else
    [[ $actual == "$wanted" ]]
  fi
}

expect() {
  local name=$1 status=$2 stdout=$3 stderr=$4
  shift 4
  local out err actual_status
  local errfile
  errfile=$(mktemp)
  out=$(printf '%s' "$input" | "$program" "$@" 2>"$errfile")
  actual_status=$?
  err=$(<"$errfile")
  rm -f "$errfile"
  local problems=()
  [[ $actual_status == "$status" ]] || problems+=("exit status $actual_status, expected $status")
  matches "$out" "$stdout" || problems+=("standard output:" "$out" "expected:" "$stdout")
  matches "$err" "$stderr" || problems+=("standard error:" "$err" "expected:" "$stderr")
  if [ ${#problems[@]} -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED %s (%s)\n' "$name" "$*"
    printf '  %s\n' "${problems[@]}"
  fi
}

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# expect_write_failure NAME TARGET [ARGUMENT...]
#
# runs "$program" with standard output on TARGET ("full" for /dev/full,
# "closed" for a closed standard output) and requires exit status 1 and a
# message on standard error that says the output could not be written.
expect_write_failure() {
  local name=$1 target=$2
  shift 2
  local errfile status
  errfile=$(mktemp)
  if [ "$target" = full ]; then
    printf '%s' "$input" | "$program" "$@" >/dev/full 2>"$errfile"
  else
    printf '%s' "$input" | "$program" "$@" >&- 2>"$errfile"
  fi
  status=$?
  if [[ $status == 1 && $(<"$errfile") == *"cannot write the output: "* ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAILED %s (%s)\n  exit status %s, standard error:\n  %s\n' "$name" "$*" "$status" \
      "$(<"$errfile")"
  fi
  rm -f "$errfile"
}
