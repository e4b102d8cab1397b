#!/usr/bin/env bash
# Runs a command on an X server of its own, so window tests that run side by
# side never share a clipboard, a focus or a modal dialog.
set -u
display_file=$(mktemp)
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$display_file" 2>/dev/null &
server=$!
for _ in $(seq 1 200); do
  [ -s "$display_file" ] && break
  kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start" >&2; rm -f "$display_file"; exit 1; }
  sleep 0.05
done
DISPLAY=":$(head -n1 "$display_file")"
export DISPLAY
rm -f "$display_file"
# A home of its own too: GTK keeps the file chooser's settings (such as the
# typed-location mode a test switches on) and its recent files there.
home=$(mktemp -d)
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache"
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$home"
exit "$status"
