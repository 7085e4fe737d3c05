#!/usr/bin/env bash
# Checks that the shipped 32-bit DLL can load on every Windows it serves:
# - every function in its import table is in TABLE, the list of what the system DLLs of both
#   Windows 98 SE and Windows NT 4.0 export (each row names the source of that fact);
# - it is a 32-bit GUI image whose OS and subsystem versions are at most 4.0 (those loaders
#   refuse an image that asks for a newer Windows);
# - it carries no debug sections and is at most 1 MB.
# check_imports.sh DLL TABLE
set -uo pipefail
dll=$1 table=$2
[ -f "$dll" ] || { echo "no such DLL: $dll"; exit 2; }
[ -f "$table" ] || { echo "no such table: $table"; exit 2; }
objdump=i686-w64-mingw32-objdump
fail=0

dump=$("$objdump" -p "$dll") || { echo "objdump failed on $dll"; exit 1; }
headers=$("$objdump" -h "$dll") || { echo "objdump -h failed on $dll"; exit 1; }

format=$(awk '/file format/{print $NF; exit}' <<< "$dump")
[ "$format" = pei-i386 ] || { echo "not a 32-bit image: $format"; fail=1; }
field() { awk -v k="$1" '$1 == k {print $2; exit}' <<< "$dump"; }
for k in MajorOSystemVersion MajorSubsystemVersion; do
  v=$(field "$k")
  [ -n "$v" ] && [ "$v" -le 4 ] || { echo "$k is ${v:-missing}: Windows 98 and NT 4.0 want 4 or less"; fail=1; }
done
subsystem=$(awk '$1 == "Subsystem" {print $2; exit}' <<< "$dump")
[ "$subsystem" = 00000002 ] || { echo "subsystem $subsystem, not Windows GUI (2)"; fail=1; }

debug=$(awk '$2 ~ /^\.debug/ {print $2}' <<< "$headers" | tr '\n' ' ')
[ -z "$debug" ] || { echo "debug sections: $debug"; fail=1; }
size=$(stat -c %s "$dll")
[ "$size" -le 1048576 ] || { echo "size $size bytes, over 1 MB"; fail=1; }

# "DLL function" pairs of the import table, DLL names in lower case.
imports=$(sed -n '/The Import Tables/,/^The Export Tables/p' <<< "$dump" |
  awk '/DLL Name:/ {dll = tolower($3); next} dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print dll, $3}')
[ -n "$imports" ] || { echo "no import table found"; fail=1; }
known=$(awk -F'\t' '!/^#/ && NF >= 3 {print tolower($1), $2}' "$table")
count=0
while read -r lib fn; do
  [ -n "$lib" ] || continue
  count=$((count + 1))
  grep -qxF "$lib $fn" <<< "$known" || { echo "  not exported by both Windows 98 SE and NT 4.0: $lib $fn"; fail=1; }
done <<< "$imports"

echo "$dll: $format, $size bytes, subsystem $subsystem, $count imports from $(awk '{print $1}' <<< "$imports" | sort -u | tr '\n' ' ')"
[ $fail -eq 0 ] && echo "all imports are in both Windows 98 SE and NT 4.0" || echo "FAILED"
exit $fail
