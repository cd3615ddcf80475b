#!/usr/bin/env bash
# Runs a test program as a desktop user would meet it: a real X server
# (Xvfb) and a D-Bus session with the accessibility (AT-SPI) bus switched on,
# as it is when a screen reader or any other assistive client runs.
#   run_in_desktop_session.sh PROGRAM [ARGS...]
set -euo pipefail
export QT_QPA_PLATFORM=xcb
exec dbus-run-session -- bash -c '
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$@"' run_in_desktop_session "$@" 2> >(grep -v "fd limit" >&2)
