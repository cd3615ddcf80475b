#!/usr/bin/env bash
# What the install puts in front of desktops and file managers: the desktop
# entry takes a file (%f), offers the program for every file (MimeType) and
# names the windows the program makes (StartupWMClass); each file manager's
# action says "Encrypt or decrypt with Arkseal" and opens the program with
# the one file chosen.
#   desktop_integration.sh BUILD-DIR APP-ID
set -uo pipefail
build=$1 id=$2
prefix=$(mktemp -d /tmp/arkseal-desktop-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
share=$prefix/share
passed=0 failed=0
check() {  # NAME COMMAND...
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED $name"; fi
}
key() { grep -m1 "^$2=" "$1" | cut -d= -f2-; }  # FILE KEY

entry=$share/applications/$id.desktop
check entry-valid desktop-file-validate "$entry"
check entry-takes-a-file test "$(key "$entry" Exec)" = "arkseal %f"
check entry-for-every-file test "$(key "$entry" MimeType)" = "application/octet-stream;"
# Qt names the windows after the name the program gives it: "arkseal".
check entry-names-the-windows test "$(key "$entry" StartupWMClass)" = arkseal

actions=(
  "$share/kio/servicemenus/arkseal.desktop|arkseal %f"
  "$share/nemo/actions/arkseal.nemo_action|arkseal %F"
  "$share/file-manager/actions/arkseal.desktop|arkseal %f"
  "$share/Thunar/sendto/arkseal.desktop|arkseal %f"
)
for action in "${actions[@]}"; do
  file=${action%|*} exec=${action#*|}
  name=${file#"$share"/}
  check "$name-installed" test -f "$file"
  check "$name-named" test "$(key "$file" Name)" = "Encrypt or decrypt with Arkseal"
  check "$name-opens-the-file" test "$(key "$file" Exec)" = "$exec"
done
check sendto-valid desktop-file-validate "$share/Thunar/sendto/arkseal.desktop"
check nemo-one-file test "$(key "$share/nemo/actions/arkseal.nemo_action" Selection)" = s
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
