# Shared by the install and package tests (sourced). build_hosts SOURCE SCRATCH PREFIX LIBDIR
# builds examples/host with find_package and examples/pkg-config with pkg-config against
# the module installed below PREFIX alone, and runs both off screen on a database made
# with the installed orvicrm-db. PKG_CONFIG_SYSROOT_DIR may name a root PREFIX lies in.
build_hosts() {
    local src=$1 scratch=$2 prefix=$3 libdir=$4
    export QT_QPA_PLATFORM=offscreen
    unset ORVICRM_DATABASE
    cmake -S "$src/examples/host" -B "$scratch/host" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
    grep -qx "OrviCrm_DIR:PATH=$prefix/$libdir/cmake/OrviCrm" "$scratch/host/CMakeCache.txt" ||
        { echo "the example found another OrviCrm:"; grep OrviCrm_DIR "$scratch/host/CMakeCache.txt"; return 1; }
    cmake --build "$scratch/host" >/dev/null
    "$prefix/bin/orvicrm-db" init "$scratch/host/OrviMdb/OrviCrm.db"
    "$prefix/bin/orvicrm-db" seed "$scratch/host/OrviMdb/OrviCrm.db" --sales 7 --client 101
    "$scratch/host/example-host" --close | grep -x "CM_OpenCrmStat answered 1"

    local flags
    flags=$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs orvicrm)
    echo "pkg-config --cflags --libs orvicrm: $flags"
    # shellcheck disable=SC2086
    g++ -o "$scratch/count_sales" "$src/examples/pkg-config/count_sales.cpp" $flags
    LD_LIBRARY_PATH="$prefix/$libdir" "$scratch/count_sales" "$scratch/host/OrviMdb/OrviCrm.db" |
        grep -x "7 sales"
}
