# cmake --install: the module, its headers, CMake package and pkg-config file, the tools and
# their manual pages. Each component becomes one Debian package (package.cmake):
#   runtime  the library                                           liborvicrm1
#   dev      headers, namelink, CMake package, pkg-config file    liborvicrm-dev
#   tools    orvicrm-host, orvicrm-db and their manual pages       orvicrm-tools
include(CMakePackageConfigHelpers)

set(ORVI_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrviCrm)

# What a host building against the module needs: the include folder and Qt Widgets (the
# module runs its windows in the host's QApplication).
target_include_directories(OrviCrm INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
                                             $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(OrviCrm INTERFACE Qt6::Widgets)
add_library(OrviCrm::OrviCrm ALIAS OrviCrm)

install(TARGETS OrviCrm EXPORT OrviCrmTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/orvicrm DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT dev FILES_MATCHING PATTERN "*.h")

# CMake package: find_package(OrviCrm 1) accepts any 1.x.
install(EXPORT OrviCrmTargets NAMESPACE OrviCrm:: DESTINATION ${ORVI_CMAKE_PACKAGE_DIR}
        COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OrviCrmConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/OrviCrmConfig.cmake
                              INSTALL_DESTINATION ${ORVI_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OrviCrmConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OrviCrmConfig.cmake
              ${PROJECT_BINARY_DIR}/OrviCrmConfigVersion.cmake
        DESTINATION ${ORVI_CMAKE_PACKAGE_DIR} COMPONENT dev)

# pkg-config: written when installing, for the prefix installed to (--prefix, or /usr in a
# package), so that its paths are plain absolute ones.
set(ORVI_PC_FILE ${PROJECT_BINARY_DIR}/install/orvicrm.pc)
install(CODE "
  set(ORVI_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(ORVI_PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(ORVI_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(ORVI_PC_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${CMAKE_CURRENT_LIST_DIR}/orvicrm.pc.in\" \"${ORVI_PC_FILE}\" @ONLY)"
        COMPONENT dev)
install(FILES ${ORVI_PC_FILE} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# The tools; their manual pages are made from their --help text.
install(TARGETS orvicrm-host orvicrm-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT tools)
find_program(HELP2MAN help2man)
if(HELP2MAN)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  set(ORVI_MAN_PAGES)
  foreach(tool_and_name IN ITEMS "orvicrm-db|create, fill and copy OrviCrm databases"
                                 "orvicrm-host|demo call-centre host of the OrviCrm module")
    string(REPLACE "|" ";" tool_and_name "${tool_and_name}")
    list(GET tool_and_name 0 tool)
    list(GET tool_and_name 1 name)
    set(page ${PROJECT_BINARY_DIR}/man/${tool}.1)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION} "--name=${name}"
              --output=${page} $<TARGET_FILE:${tool}>
      DEPENDS ${tool}
      COMMENT "Manual page ${tool}.1")
    list(APPEND ORVI_MAN_PAGES ${page})
  endforeach()
  add_custom_target(orvi_man_pages ALL DEPENDS ${ORVI_MAN_PAGES})
  install(FILES ${ORVI_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
else()
  message(WARNING "help2man not found (scripts/setup installs it): no manual pages")
endif()
