#!/usr/bin/env bash
# Fails when a source includes a header of a folder above its own. A folder
# may include itself and the folders below it. Each include is first resolved
# to the file the compiler would take (a quoted name next to the including
# file, then under the source root; a name in angle brackets under the root
# only), so "../app/x.h" or "./../app/x.h" counts as app/ like "app/x.h" does.
set -euo pipefail

root=$(cd "${1:-$(dirname "$0")/..}" && pwd)

# The layers, from the bottom; the only list of them.
layers=(ui resources engine bridge config results app)

declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

# Sets path to the path with "." and ".." folded away, as the file system
# would read it without following links; fails for a path that climbs above
# "/". (No subshells: the check runs on every include.)
fold() {
  local part
  local -a parts kept=()
  IFS=/ read -ra parts <<<"$1"
  for part in "${parts[@]}"; do
    case $part in
      '' | .) ;;
      ..)
        (( ${#kept[@]} > 0 )) || return 1
        unset 'kept[${#kept[@]}-1]'
        ;;
      *) kept+=("$part") ;;
    esac
  done
  local IFS=/
  path="/${kept[*]}"
}

# Sets target to the include's file relative to the root. A quoted name
# that is no file at all is judged as spelt next to the including file; a
# name in angle brackets that is none of the root's files is a system header.
resolve() {
  local file=$1 quote=$2 name=$3 base
  local -a bases=("$root")
  [[ $quote == '"' ]] && bases=("${file%/*}" "$root")
  for base in "${bases[@]}" fallback; do
    if [[ $base == fallback ]]; then
      [[ $quote == '"' ]] && fold "${file%/*}/$name" || return 1
    else
      fold "$base/$name" && [[ -f $path ]] || continue
    fi
    [[ $path == "$root"/* ]] || return 1
    target=${path#"$root"/}
    return 0
  done
}

folders=()
for folder in "${layers[@]}"; do [[ -d $root/$folder ]] && folders+=("$root/$folder"); done
(( ${#folders[@]} > 0 )) || exit 0

pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
status=0
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  text=${rest#*:}
  [[ $text =~ $pattern ]] || continue
  resolve "$file" "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" || continue
  folder=${file#"$root"/}
  folder=${folder%%/*}
  included=${target%%/*}
  [[ $target == */* && -n ${rank[$included]+set} ]] || continue
  if (( rank[$included] > rank[$folder] )); then
    echo "${file#"$root"/}:$line: $folder/ includes the higher folder $included/: ${text#"${text%%[![:space:]]*}"}"
    status=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.c' \
           '^[[:space:]]*#[[:space:]]*include' "${folders[@]}" || true)
exit $status
