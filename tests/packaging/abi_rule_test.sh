#!/usr/bin/env bash
# The ABI rule of abi-check.sh, on descriptions of the built library edited to stand for an
# older release: an addition passes with a note, a removal or a grown class fails unless the
# SONAME major number was raised.
#   abi_rule_test.sh SOURCE LIBRARY SCRATCH
set -euo pipefail
src=$1 library=$2 scratch=$3
headers=$src/include/orvicrm
rm -rf "$scratch" && mkdir -p "$scratch"
current=$scratch/current.abi
abidw --exported-interfaces-only --headers-dir "$headers" --drop-private-types \
    --type-id-style hash --out-file "$current" "$library"

# Edits of the current description: the older release it stands for.
without_stat() {  # had no CM_OpenCrmStat
    perl -0pe "s/\n *<elf-symbol name='CM_OpenCrmStat'[^\n]*//;
               s/\n *<function-decl name='CM_OpenCrmStat'.*?<\/function-decl>//s"
}
with_gone() {  # had CM_OpenCrmGone where there is CM_OpenCrmStat now
    sed "s/CM_OpenCrmStat/CM_OpenCrmGone/g"
}
smaller_class() {  # CRstValues ended before its last data member
    perl -0pe 's{(<class-decl name=.CRstValues. size-in-bits=.)\d+((?:(?!</class-decl>).)*)\n\s*<data-member[^>]*layout-offset-in-bits=.(\d+).>(?:(?!</data-member>).)*</data-member>((?:(?!<data-member|</class-decl>).)*</class-decl>)}{$1$3$2$4}s'
}
major_zero() {  # had SONAME major 0
    sed "s/soname='libOrviCrm\.so\.[0-9]*'/soname='libOrviCrm.so.0'/"
}

failures=0
# edits, expected status, expected note (empty: none)
while IFS='|' read -r edits status note; do
    description=$scratch/old.abi
    cp "$current" "$description"
    for edit in $edits; do
        $edit <"$description" >"$description.new" && mv "$description.new" "$description"
    done
    if [ -n "$edits" ] && cmp -s "$current" "$description"; then
        echo "[$edits]: the edit found nothing to change"
        exit 1
    fi
    actual=0
    "$src/cmake/abi-check.sh" "$description" "$library" "$headers" "$scratch/note" \
        >"$scratch/out" || actual=$?
    actual_note=$(head -n 1 "$scratch/note" 2>/dev/null || true)
    if [ "$actual" != "$status" ] || [[ "$actual_note" != *"$note"* ]] ||
        { [ -z "$note" ] && [ -n "$actual_note" ]; }; then
        echo "FAIL [$edits]: status $actual (expected $status), note '$actual_note'"
        cat "$scratch/out"
        failures=$((failures + 1))
    fi
done <<'CASES'
|0|
without_stat|0|compatible ABI additions
with_gone|1|
smaller_class|1|
major_zero|0|SONAME major raised to
with_gone major_zero|0|SONAME major raised to
smaller_class major_zero|0|SONAME major raised to
CASES
rm -rf "$scratch"
[ "$failures" -eq 0 ] && echo "ABI rule test passed"
