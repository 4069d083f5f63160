# The ABI built hosts rely on: the exported symbols and the types of the public headers,
# kept in abi/OrviCrm.abi (libabigail's abidw). The test abi_check compares the built
# library with it (abi-check.sh); the target abi-update (make abi-update) writes it anew.
# Only the plain build takes part: the sanitized library differs for reasons of its own.
set(ORVI_ABI_FILE ${PROJECT_SOURCE_DIR}/abi/OrviCrm.abi)
set(ORVI_ABI_HEADERS ${PROJECT_SOURCE_DIR}/include/orvicrm)
if(NOT ORVI_SANITIZE)
  add_custom_target(abi-update
    COMMAND abidw --exported-interfaces-only --headers-dir ${ORVI_ABI_HEADERS}
            --drop-private-types --no-corpus-path --no-comp-dir-path --type-id-style hash
            --out-file ${ORVI_ABI_FILE} $<TARGET_FILE:OrviCrm>
    COMMAND ${CMAKE_COMMAND} -E echo "Wrote ${ORVI_ABI_FILE}: commit it with the change."
    DEPENDS OrviCrm
    VERBATIM)
  add_test(NAME abi_check
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/abi-check.sh ${ORVI_ABI_FILE} $<TARGET_FILE:OrviCrm>
                   ${ORVI_ABI_HEADERS} ${PROJECT_BINARY_DIR}/abi-note.txt)
endif()
