#!/usr/bin/env bash
# Runs a command on an X server of its own, so window tests that run side by
# side never share a clipboard, a focus or a modal dialog. The server never
# resets: by default it does whenever its last client leaves, and a test that
# starts one program after another would find the display gone in between.
set -u
display_file=$(mktemp)
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset 9>"$display_file" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$display_file"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
for _ in $(seq 1 200); do
  [ -s "$display_file" ] && break
  kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[ -s "$display_file" ] || { echo "Xvfb gave no display number" >&2; exit 1; }
DISPLAY=":$(head -n1 "$display_file")"
export DISPLAY
"$@"
