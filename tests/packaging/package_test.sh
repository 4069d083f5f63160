#!/usr/bin/env bash
# make package gives three Debian packages with the expected names, versions, files and
# dependencies. Installed into a scratch root (dpkg --root as root, else unpacked), they
# are enough to build and run the example host.
#   package_test.sh SOURCE BUILD SCRATCH LIBDIR VERSION
set -euo pipefail
src=$1 build=$2 scratch=$3 libdir=$4 version=$5
major=${version%%.*}
arch=$(dpkg --print-architecture)
unset ORVICRM_DATABASE
rm -rf "$scratch"
cpack --config "$build/CPackConfig.cmake" -B "$scratch/debs" >/dev/null
debs=$scratch/debs
runtime=$debs/liborvicrm${major}_${version}_$arch.deb
dev=$debs/liborvicrm-dev_${version}_$arch.deb
tools=$debs/orvicrm-tools_${version}_$arch.deb

files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | LC_ALL=C sort; }
check_files() {
    diff <(printf '%s\n' "${@:2}") <(files "$1" | sed 's|OrviCrmTargets-.*\.cmake|OrviCrmTargets-BUILDTYPE.cmake|')
}
field() { dpkg-deb -f "$1" "$2"; }

for deb in "$runtime" "$dev" "$tools"; do
    [ "$(field "$deb" Version)" = "$version" ]
done
[ "$(field "$runtime" Package)" = "liborvicrm$major" ]
[ "$(field "$dev" Package)" = liborvicrm-dev ]
[ "$(field "$tools" Package)" = orvicrm-tools ]

check_files "$runtime" "usr/$libdir/libOrviCrm.so.$major" "usr/$libdir/libOrviCrm.so.$version"
check_files "$dev" usr/include/orvicrm/CRstValues.h usr/include/orvicrm/ado_types.h \
    usr/include/orvicrm/orvicrm.h "usr/$libdir/cmake/OrviCrm/OrviCrmConfig.cmake" \
    "usr/$libdir/cmake/OrviCrm/OrviCrmConfigVersion.cmake" \
    "usr/$libdir/cmake/OrviCrm/OrviCrmTargets-BUILDTYPE.cmake" \
    "usr/$libdir/cmake/OrviCrm/OrviCrmTargets.cmake" "usr/$libdir/libOrviCrm.so" \
    "usr/$libdir/pkgconfig/orvicrm.pc"
check_files "$tools" usr/bin/orvicrm-db usr/bin/orvicrm-host usr/share/man/man1/orvicrm-db.1 \
    usr/share/man/man1/orvicrm-host.1

# The -dev package needs the library of its own version; the library's and the tools'
# dependencies come from their binaries (dpkg-shlibdeps), the tools' own link to the
# library (they load it with dlopen) is written by hand.
[ "$(field "$dev" Depends)" = "liborvicrm$major (= $version), qt6-base-dev" ]
field "$runtime" Depends | grep -q 'libqt6widgets6 (>= [^)]*).*libsqlite3-0 (>= '
if field "$runtime" Depends | grep -q liborvicrm; then echo "the library needs itself"; exit 1; fi
field "$tools" Depends | grep -q "^liborvicrm$major (= $version), .*libqt6widgets6 (>= "
dpkg-deb --ctrl-tarfile "$runtime" | tar -xO ./shlibs | grep -qx "libOrviCrm $major liborvicrm$major (= $version)"

root=$scratch/root
if [ "$(id -u)" -eq 0 ]; then
    # Unpacked only: configuring would run ldconfig inside the scratch root.
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
    dpkg --root="$root" --unpack "$runtime" "$dev" "$tools" >/dev/null
    dpkg --root="$root" -s liborvicrm-dev | grep -q '^Status: install ok unpacked'
else
    for deb in "$runtime" "$dev" "$tools"; do dpkg-deb -x "$deb" "$root"; done
fi
grep -qx "prefix=/usr" "$root/usr/$libdir/pkgconfig/orvicrm.pc"

source "$src/tests/packaging/build_hosts.sh"
build_cmake_host "$src" "$scratch" "$root/usr" "$libdir"
rm -rf "$scratch"
echo "package test passed"
