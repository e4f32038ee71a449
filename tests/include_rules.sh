#!/bin/sh
# The include graph of the program's folders, checked (tests, fuzz targets
# and benchmarks may include any header):
# - Layers only look down: base; records; link, sim, settings, the
#   viewer's section model and the interpretation (interpret/); workflow;
#   ui; the viewer's window; app and cli.
#   A folder includes nothing of its own layer or above. The section model
#   is the toolkit-free library of viewer/CMakeLists.txt (gt7p_section) with
#   its headers, and the contract header viewer/viewer.h with what it
#   includes; the rest of viewer/ (the painter, the plot, window/) is its
#   window.
# - Qt (<Q...>) only in ui/, app/ and the viewer's window.
# - Outside link/, records/, workflow/, viewer/, settings/, ui/ and
#   interpret/ only their contract headers are included (link/link.h,
#   records/records.h, interpret/interpret.h, ...), and
#   the viewer window's viewer/window/frm_view.h.
# - link/ knows nothing of the file list or its images.
# Prints the offending lines and fails when there are any.
# usage: include_rules.sh REPOSITORY
set -eu
cd "${1:?repository}"
folders="base records link sim settings interpret workflow ui viewer app cli"

rank() {
  case $1 in
    base) echo 0 ;; records) echo 1 ;; link | sim | settings | interpret | viewer-model) echo 2 ;;
    workflow) echo 3 ;; ui) echo 4 ;; viewer) echo 5 ;; app | cli) echo 6 ;;
  esac
}

# The viewer's toolkit-free files.
sources=$(sed -n 's/^add_library(gt7p_section STATIC \(.*\))$/\1/p' viewer/CMakeLists.txt)
[ -n "$sources" ] || { echo "no gt7p_section sources found in viewer/CMakeLists.txt"; exit 1; }
model="viewer/viewer.h $(sed -n 's|^#include "\(viewer/[^"]*\)"|\1|p' viewer/viewer.h | tr '\n' ' ')"
for s in $sources; do model="$model viewer/$s viewer/${s%.cpp}.h"; done
# The layer of a file, or of an included header.
layer() {
  case " $model " in *" $1 "*) echo viewer-model; return ;; esac
  echo "${1%%/*}"
}

bad=$(
  for folder in $folders; do
    for file in $(find "$folder" -name '*.cpp' -o -name '*.h' | sort); do
      own=$(rank "$(layer "$file")")
      # Up or sideways: a header of another folder on the file's layer or above.
      sed -n 's|^#include "\([a-z]*/[^"]*\)".*|\1|p' "$file" | while read -r header; do
        [ "$(layer "$header")" = "$(layer "$file")" ] && continue
        target=$(rank "$(layer "$header")")
        if [ -n "$target" ] && [ "$target" -ge "$own" ]; then
          echo "$file: includes $header (layer $target, its own $own)"
        fi
      done
      # The toolkit.
      if [ "$own" -ne 4 ] && [ "$own" -ne 5 ] && [ "$folder" != app ]; then
        grep -Hn '^#include <Q' "$file" || true
      fi
    done
  done
  # Contract headers.
  for folder in link records workflow viewer settings ui interpret; do
    grep -rn --include='*.cpp' --include='*.h' "#include \"$folder/" $folders bench 2>/dev/null |
      grep -v "^$folder/" | grep -v "#include \"$folder/$folder.h\"" |
      grep -v '#include "viewer/window/frm_view.h"' || true
  done
  # No list in the link.
  grep -rnE --include='*.cpp' --include='*.h' \
    'kFileImage|[Ii]mageIndex|AddColumn|AddRow|AppendSubItem|ClearList|FitColumns|ShowList|ShowTargetIndicator|DirectoryList|HeaderGroupZeroFields|FieldText|状态' \
    link || true
)
if [ -n "$bad" ]; then
  echo "the include graph breaks its rules:"
  echo "$bad"
  exit 1
fi
echo "include rules kept"
