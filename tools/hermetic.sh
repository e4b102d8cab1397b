#!/usr/bin/env bash
# Runs a command with a home, configuration, data, cache, runtime and temporary
# folder of its own, removed afterwards: a test never reads the user's settings
# (a file chooser's remembered mode, say) and never leaves anything behind.
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/zandrel-run-XXXXXX") || exit 1
cleanup() {
  # Tests take permissions away on purpose; give them back so all of it goes.
  chmod -R u+rwx "$root" 2>/dev/null
  rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir -m 700 "$root/home" "$root/config" "$root/data" "$root/cache" "$root/runtime" "$root/tmp" || exit 1
# Tests that save as an unprivileged user (root may write anything) need to
# reach their folders inside TMPDIR: others may pass through, not list.
chmod 711 "$root" "$root/tmp" || exit 1
export HOME="$root/home"
export XDG_CONFIG_HOME="$root/config"
# As on any desktop where a file chooser has been used once. GTK 2 leaks the
# folder's name whenever it has to create it (_gtk_file_chooser_settings_save
# frees an outer variable its inner one shadows); its library has no symbols
# a LeakSanitizer suppression could name, so the tests do not take that path.
mkdir -m 700 "$XDG_CONFIG_HOME/gtk-2.0" || exit 1
export XDG_DATA_HOME="$root/data"
export XDG_CACHE_HOME="$root/cache"
export XDG_RUNTIME_DIR="$root/runtime"
export TMPDIR="$root/tmp"
# No talking to the user's session bus either.
unset DBUS_SESSION_BUS_ADDRESS
"$@"
