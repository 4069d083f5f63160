# make package: three Debian packages, one per install component (install.cmake). The
# libraries each package needs are found by dpkg-shlibdeps from its binaries; written by
# hand are only the links between our own packages and the -dev package's Qt headers.
# make package and make install build first (Makefile); CPack itself does not walk the
# whole build again, so the package test takes the built files as they are.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvicrm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "OrviCrm developers <orvicrm@localhost>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file (and ldconfig on install) for the package that holds the library.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(ORVI_RUNTIME_PACKAGE liborvicrm${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${ORVI_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Customer-relationship module for call-centre hosts\n\
The shared library a host loads to open the OrviCrm windows.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME liborvicrm-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "${ORVI_RUNTIME_PACKAGE} (= ${PROJECT_VERSION}), qt6-base-dev")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "OrviCrm module: development files\n\
Headers, CMake package (OrviCrm::OrviCrm) and pkg-config file (orvicrm) for hosts.")

# orvicrm-host loads the module with dlopen, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME orvicrm-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${ORVI_RUNTIME_PACKAGE} (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
    "OrviCrm module: database tool and demo host\n\
orvicrm-db creates, fills and copies OrviCrm databases; orvicrm-host is a demo host.")

include(CPack)
