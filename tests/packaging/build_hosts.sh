# Sourced by the install and package tests: hosts built against the module installed below
# PREFIX alone (the library in PREFIX/LIBDIR), run off screen on a database with 7 sales
# made by the installed orvicrm-db.

# examples/host with find_package(OrviCrm 1): it opens the statistics window.
#   build_cmake_host SOURCE SCRATCH PREFIX LIBDIR
build_cmake_host() {
    local src=$1 scratch=$2 prefix=$3 libdir=$4
    cmake -S "$src/examples/host" -B "$scratch/host" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
    local found
    found=$(sed -n 's/^OrviCrm_DIR:PATH=//p' "$scratch/host/CMakeCache.txt")
    [ "$found" = "$prefix/$libdir/cmake/OrviCrm" ] || { echo "found OrviCrm in $found"; return 1; }
    cmake --build "$scratch/host" >/dev/null
    make_database "$prefix" "$scratch/host/OrviMdb/OrviCrm.db"
    QT_QPA_PLATFORM=offscreen "$scratch/host/example-host" --close |
        grep -x "CM_OpenCrmStat answered 1"
}

# examples/pkg-config/count_sales.cpp with pkg-config --cflags --libs orvicrm.
#   build_pkgconfig_host SOURCE SCRATCH PREFIX LIBDIR
build_pkgconfig_host() {
    local src=$1 scratch=$2 prefix=$3 libdir=$4 flags
    flags=$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs orvicrm)
    # shellcheck disable=SC2086
    g++ -o "$scratch/count_sales" "$src/examples/pkg-config/count_sales.cpp" $flags
    make_database "$prefix" "$scratch/sales.db"
    QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH="$prefix/$libdir" \
        "$scratch/count_sales" "$scratch/sales.db" | grep -x "7 sales"
}

make_database() {
    "$1/bin/orvicrm-db" init "$2" >/dev/null
    "$1/bin/orvicrm-db" seed "$2" --sales 7 --client 101 >/dev/null
}
