#!/bin/sh
# Code outside link/, records/, workflow/ and viewer/ includes only their
# contract headers (link/link.h, records/records.h, workflow/workflow.h,
# viewer/viewer.h, and the viewer window's viewer/frm_view.h); the private
# headers stay inside. Tests and fuzz targets may include any header. Prints
# the offending lines and fails when there are any.
# usage: include_rules.sh REPOSITORY
set -eu
cd "${1:?repository}"
bad=$(
  for folder in link records workflow viewer; do
    grep -rn --include='*.cpp' --include='*.h' "#include \"$folder/" \
      app base cli link records settings sim workflow viewer bench 2>/dev/null |
      grep -v "^$folder/" | grep -v "#include \"$folder/$folder.h\"" |
      grep -v '#include "viewer/frm_view.h"' || true
  done
)
if [ -n "$bad" ]; then
  echo "include a subsystem through its contract header:"
  echo "$bad"
  exit 1
fi
echo "include rules kept"
