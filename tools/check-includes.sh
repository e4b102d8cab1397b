#!/usr/bin/env bash
# Fails when a source includes a header of a folder above its own. The layers,
# from the bottom: ui, resources, engine, bridge, config, results, app. A folder may
# include itself and the folders below it.
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
layers=(ui resources engine bridge config results app)

declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

status=0
for folder in "${layers[@]}"; do
  [[ -d $root/$folder ]] || continue
  while IFS=: read -r file line text; do
    included=${text#*\"}
    included=${included%%/*}
    [[ -n ${rank[$included]+set} ]] || continue
    if (( rank[$included] > rank[$folder] )); then
      echo "${file#"$root"/}:$line: $folder/ includes the higher folder $included/: ${text#"${text%%[![:space:]]*}"}"
      status=1
    fi
  done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.c' \
             '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$root/$folder" || true)
done
exit $status
