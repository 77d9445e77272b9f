#!/usr/bin/env bash
# The layer checker: silent on the repository and on a copy of it, and on a copy with
# throw-away files it names every include that points up or reaches a GUI header.
set -uo pipefail
src="$1"
check="$src/scripts/check-layers"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
expect() {  # expect NAME WANTED_RC WANTED_OUTPUT ROOT
  local out rc
  out=$("$check" "$4" 2>&1); rc=$?
  if [ "$rc" != "$2" ] || [ "$out" != "$3" ]; then
    echo "FAIL $1: rc $rc (wanted $2), output:"; echo "$out"; echo "wanted:"; echo "$3"
    fail=1
  fi
}

expect repository 0 "" "$src"

for d in base patterns import machine view files camera app; do
  [ -d "$src/$d" ] && cp -r "$src/$d" "$work/$d"
done
expect copy 0 "" "$work"

printf '#include "base/settings.h"\n#include "app/main_menu.h"\n' >"$work/base/throwaway.cpp"
expect upward 1 "base/throwaway.cpp:2: includes app/main_menu.h (app is above base)" "$work"
rm "$work/base/throwaway.cpp"

# A core file may not include a GUI header, by name or by its GTK include, nor GTK itself;
# GUI files may include anything.
printf '#include "view/drawing_area_gtk.h"\n' >"$work/view/throwaway.cpp"
printf '#pragma once\n#include <gtk/gtk.h>\n' >"$work/files/throwaway.h"
printf '#include "files/throwaway.h"\n' >"$work/files/throwaway.cpp"
printf '#include <gtk/gtk.h>\n' >"$work/patterns/throwaway.cpp"
printf '#include "app/main_window.h"\n#include <gtk/gtk.h>\n' >"$work/view/throwaway_gtk.cpp"
expect gui 1 "patterns/throwaway.cpp:1: includes GTK, which only GUI files may
view/throwaway.cpp:1: includes the GUI header view/drawing_area_gtk.h
files/throwaway.cpp:1: includes the GUI header files/throwaway.h" "$work"
exit $fail
