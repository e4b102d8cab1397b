#!/usr/bin/env bash
# Runs the include check on two small trees of its own: in the first, every
# file includes app/ from engine/, spelt another way, and each must be named;
# the second only looks down or sideways and must pass.
set -u
check=$1
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

# make_tree NAME FILE=LINE...: a tree holding app/x.h, ui/z.h and engine/y.h, and
# each FILE with its one LINE.
make_tree() {
  local root=$work/$1 spec
  shift
  local -a folders=("$root/app" "$root/ui" "$root/engine")
  for spec in "$@"; do
    local file=$root/${spec%%=*}
    folders+=("${file%/*}")
  done
  mkdir -p "${folders[@]}" || exit 1
  : >"$root/app/x.h"
  : >"$root/ui/z.h"
  : >"$root/engine/y.h"
  for spec in "$@"; do printf '%s\n' "${spec#*=}" >"$root/${spec%%=*}"; done
}

upward=(
  'engine/root.cpp=#include "app/x.h"'
  'engine/up.cpp=#include "../app/x.h"'
  'engine/dot_up.cpp=#include "./../app/x.h"'
  'engine/sub/two_up.h=#include "../../app/x.h"'
  'engine/round_trip.cpp=#include "../engine/../app/x.h"'
  'engine/angle.cpp=#include <app/x.h>'
  'engine/spaced.cpp=  #  include"../app/x.h"'
  # A quoted header that is no file is judged by its spelling.
  'engine/missing.cpp=#include "../app/missing.h"'
)
clean=(
  'engine/a.cpp=#include "engine/y.h"'
  'engine/b.cpp=#include "y.h"'
  'engine/c.cpp=#include "../ui/z.h"'
  'engine/d.cpp=#include "./../ui/z.h"'
  'engine/e.cpp=#include <string>'
  'engine/f.cpp=#include "generated.h"'
  'app/m.cpp=#include "../engine/y.h"'
  'ui/w.cpp=#include "z.h"'
  # The including file's own folder comes first: this app/x.h is engine's.
  'engine/app/x.h='
  'engine/g.cpp=#include "app/x.h"'
)
make_tree upward "${upward[@]}"
make_tree clean "${clean[@]}"

failures=0
want=$(for spec in "${upward[@]}"; do printf '%s:1\n' "${spec%%=*}"; done | sort)
if output=$("$check" "$work/upward" 2>&1); then
  echo "FAIL: the check passed a tree of upward includes"
  failures=1
fi
got=$(sed -n 's/^\([^:]*:[0-9]*\): engine\/ includes the higher folder app\/: .*/\1/p' <<<"$output" | sort)
if [[ $got != "$want" ]]; then
  printf 'FAIL: the check named\n%s\ninstead of\n%s\nIts output:\n%s\n' "$got" "$want" "$output"
  failures=1
fi
if ! output=$("$check" "$work/clean" 2>&1) || [[ -n $output ]]; then
  printf 'FAIL: the check refused a tree that only looks down:\n%s\n' "$output"
  failures=1
fi
exit $failures
