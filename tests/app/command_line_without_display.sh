#!/usr/bin/env bash
# arkseal's command line where no window system can be reached: --help and
# --version answer, a usage error says what is wrong with status 64; none
# of them needs a display.
#   command_line_without_display.sh PATH-TO-ARKSEAL
set -uo pipefail
program=$1
passed=0 failed=0
check() {  # NAME EXPECTED-STATUS EXPECTED-TEXT ARGS...
  local name=$1 status=$2 text=$3
  shift 3
  local output code
  output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" 2>&1)
  code=$?
  if [ "$code" = "$status" ] && [[ "$output" == *"$text"* ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $name: status $code (wanted $status), output: $output"
  fi
}
check help 0 "Usage: arkseal [FILE]" --help
check short-help 0 "Usage: arkseal [FILE]" -h
check version 0 "arkseal 1.0" --version
check unknown-option 64 "unknown option -x" -x
check two-files 64 "one file at a time" a b
check help-after-file 0 "Usage: arkseal [FILE]" a --help
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
