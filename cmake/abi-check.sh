#!/usr/bin/env bash
# Compares the built module with the ABI description kept in the tree.
#   abi-check.sh DESCRIPTION LIBRARY HEADERS_DIR NOTE_FILE
# Fails on a change a built host may not survive (a removed or changed function, variable
# or type) unless the library's SONAME major number is above the description's. Additions
# pass; they and a raised major are written to NOTE_FILE, which make test shows, as a
# reminder to record them with make abi-update.
set -uo pipefail
description=$1 library=$2 headers=$3 note=$4
rm -f "$note"
if [ ! -f "$description" ]; then
    echo "abi-check: no ABI description $description; write it with make abi-update"
    exit 1
fi
major() { sed -n "s/.*soname='[^']*\.so\.\([0-9]*\)'.*/\1/p" | head -n 1; }
old_major=$(major <"$description")
new_major=$(readelf -d "$library" | sed -n 's/.*Library soname: \[.*\.so\.\([0-9]*\)\].*/\1/p')

report=$(abidiff --exported-interfaces-only --headers-dir2 "$headers" --drop-private-types \
    "$description" "$library")
status=$?
echo "$report"
if (( status & 3 )); then
    echo "abi-check: abidiff failed (status $status)"
    exit 1
fi
[ "$status" -eq 0 ] && { echo "abi-check: ABI unchanged"; exit 0; }

if [ -n "$old_major" ] && [ -n "$new_major" ] && (( new_major > old_major )); then
    echo "abi-check: SONAME major raised to $new_major: hosts built for $old_major need" \
         "rebuilding; record the new ABI with make abi-update" | tee "$note"
    exit 0
fi
if (( status & 8 )) || grep -Eq '[1-9][0-9]* (Removed|Changed)' <<<"$report"; then
    echo "abi-check: FAILED: the change above breaks hosts built against SONAME major" \
         "${old_major:-?}. Keep the ABI, or raise the major number of project(OrviCrm VERSION)" \
         "and run make abi-update."
    exit 1
fi
{ echo "abi-check: compatible ABI additions (record them with make abi-update):"
  grep -E 'summary|^  \[A\]' <<<"$report"; } | tee "$note"
exit 0
