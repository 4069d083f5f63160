#!/usr/bin/env bash
# cmake --install into a scratch prefix puts every file a host developer needs, and hosts
# build and run against the installed files alone.
#   install_test.sh SOURCE BUILD SCRATCH LIBDIR VERSION
set -euo pipefail
src=$1 build=$2 scratch=$3 libdir=$4 version=$5
major=${version%%.*}
unset ORVICRM_DATABASE
rm -rf "$scratch"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cd "$prefix"
expected="bin/orvicrm-db
bin/orvicrm-host
include/orvicrm/CRstValues.h
include/orvicrm/ado_types.h
include/orvicrm/orvicrm.h
$libdir/cmake/OrviCrm/OrviCrmConfig.cmake
$libdir/cmake/OrviCrm/OrviCrmConfigVersion.cmake
$libdir/cmake/OrviCrm/OrviCrmTargets-BUILDTYPE.cmake
$libdir/cmake/OrviCrm/OrviCrmTargets.cmake
$libdir/libOrviCrm.so
$libdir/libOrviCrm.so.$major
$libdir/libOrviCrm.so.$version
$libdir/pkgconfig/orvicrm.pc
share/man/man1/orvicrm-db.1
share/man/man1/orvicrm-host.1"
diff <(echo "$expected") <(find . -type f -o -type l | sed -e 's|^\./||' \
    -e 's|OrviCrmTargets-.*\.cmake|OrviCrmTargets-BUILDTYPE.cmake|' | LC_ALL=C sort)
[ "$(readlink "$libdir/libOrviCrm.so")" = "libOrviCrm.so.$major" ]
readelf -d "$libdir/libOrviCrm.so.$version" | grep -q "Library soname: \[libOrviCrm.so.$major\]"
grep -qx "prefix=$prefix" "$libdir/pkgconfig/orvicrm.pc"
grep -q '^\.SH NAME' share/man/man1/orvicrm-db.1
# The installed demo host loads the installed module (there is no copy beside it).
bin/orvicrm-db init bin/OrviMdb/OrviCrm.db
QT_QPA_PLATFORM=offscreen bin/orvicrm-host --snapshot "$scratch/shots"
[ -f "$scratch/shots/CStatDlg.png" ]

source "$src/tests/packaging/build_hosts.sh"
build_cmake_host "$src" "$scratch" "$prefix" "$libdir"
build_pkgconfig_host "$src" "$scratch" "$prefix" "$libdir"
rm -rf "$scratch"
echo "install test passed"
