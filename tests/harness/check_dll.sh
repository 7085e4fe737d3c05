#!/usr/bin/env bash
# Checks built DLLs: every name of the .def exported undecorated, no other export, and imports
# from system DLLs only (the runtime must be linked in statically).
# check_dll.sh DEF DLL...   (also accepted: DLL DEF [DLL...])
set -uo pipefail
args=("$@")
def=""
dlls=()
for a in "${args[@]}"; do
  [ -z "$a" ] && continue
  case "$a" in *.def) def=$a;; *) dlls+=("$a");; esac
done
[ -n "$def" ] && [ ${#dlls[@]} -gt 0 ] || { echo "usage: check_dll.sh DEF DLL..."; exit 2; }
expected=$(awk 'f && NF {split($1, a, "="); print a[1]} /^EXPORTS/{f=1}' "$def" | tr -d ' ')
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|version|shell32|comdlg32|ole32|oleaut32|msvcrt|ntdll)\.dll$|^winspool\.drv$'
fail=0
for dll in "${dlls[@]}"; do
  dump=$(objdump -p "$dll") || { echo "objdump failed on $dll"; fail=1; continue; }
  echo "$dll: $(printf '%s\n' "$dump" | awk '/file format/{print $NF; exit}')"
  exports=$(printf '%s\n' "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1; next} t && /^[ \t]*\[/{print $NF} t && /^$/{t=0}')
  for name in $expected; do
    grep -qx "$name" <<< "$exports" || { echo "  missing export: $name"; fail=1; }
  done
  for name in $exports; do
    case "$name" in *@*|_*) echo "  decorated export: $name"; fail=1;; esac
    grep -qx "$name" <<< "$expected" || { echo "  export not in the .def: $name"; fail=1; }
  done
  imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/{print tolower($3)}')
  [ -n "$imports" ] || { echo "  no import table found"; fail=1; }
  for imp in $imports; do
    grep -Eq "$allowed" <<< "$imp" || { echo "  non-system import: $imp"; fail=1; }
  done
  echo "  exports: $(echo $exports)"
  echo "  imports: $(echo $imports)"
done
exit $fail
