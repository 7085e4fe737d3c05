#!/usr/bin/env bash
# The source folders stack like floors: a file includes only from its own floor or below, so no
# call needs to go up and no two folders need each other. This check fails on every include of a
# folder above the including file's floor, on a source folder the table below does not place,
# and on a Windows (or any other non-standard) header in the portable codec.
# check_floors.sh SRC_DIR
set -uo pipefail
src=${1:?usage: check_floors.sh SRC_DIR}
[ -d "$src" ] || { echo "no such folder: $src"; exit 2; }

# Bottom to top; folders on one line share a floor. Keep README.md's layout table in step.
floors=(
  "resources codec"                       # resource numbers; portable decoders, the system's names
  "core"                                  # trace, probes, holders, cells, locale, the session's declaration and printer
  "settings store profile_file session"   # the session's operations, one class across four folders
  "ui removal"                            # language tables and status box; the removal engine
  "installer"                             # installation files, LMPROFINST, the wizard page
  "api"                                   # the exports, DllMain and the command entries
)
# Folders that hold no C++ sources.
unplaced_ok=""

declare -A floor_of
for i in "${!floors[@]}"; do
  for folder in ${floors[$i]}; do
    floor_of[$folder]=$i
  done
done

fail=0
checked=0
for dir in "$src"/*/; do
  folder=$(basename "$dir")
  if [ -z "${floor_of[$folder]+set}" ]; then
    case " $unplaced_ok " in *" $folder "*) continue;; esac
    echo "src/$folder: no floor for this folder (add it to check_floors.sh and README.md)"
    fail=1
    continue
  fi
  own=${floor_of[$folder]}
  while IFS= read -r file; do
    checked=$((checked + 1))
    rel=${file#"$src"/}
    # "folder/name.h" includes, with their line numbers.
    while IFS=: read -r line target; do
      [ -n "$target" ] || continue
      to=${target%%/*}
      if [ -z "${floor_of[$to]+set}" ]; then
        echo "src/$rel:$line: includes \"$target\" from a folder with no floor"
        fail=1
      elif [ "${floor_of[$to]}" -gt "$own" ]; then
        echo "src/$rel:$line: includes \"$target\": $to (floor $((floor_of[$to]))) is above $folder (floor $own)"
        fail=1
      fi
    done < <(awk 'match($0, /^[ \t]*#[ \t]*include[ \t]*"[^"]*\/[^"]*"/) {
                   t = substr($0, RSTART, RLENGTH); sub(/^[^"]*"/, "", t); sub(/"$/, "", t)
                   print FNR ":" t }' "$file")
    # The codec is built natively for fuzzing: standard headers only.
    if [ "$folder" = codec ]; then
      while IFS= read -r bad; do
        echo "src/$rel:${bad%%:*}: the codec includes a non-standard header: ${bad#*:}"
        fail=1
      done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<[^>]*\.h>' "$file" || true)
    fi
  done < <(find "$dir" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
done

[ "$checked" -gt 0 ] || { echo "no sources found under $src"; exit 2; }
if [ "$fail" -ne 0 ]; then
  echo "floors: FAILED"
  exit 1
fi
echo "floors: $checked files, every include on its own floor or below"
