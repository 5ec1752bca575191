# Tests that run the real Windows executable under Wine. They share one
# throw-away prefix and run one at a time: the launcher's kernel objects and
# its pipe are machine-wide inside the prefix.
find_program(PELLIX_WINE wine REQUIRED)

set(PELLIX_BED ${CMAKE_BINARY_DIR}/wine-bed)
set(PELLIX_BED_SH ${PROJECT_SOURCE_DIR}/tests/wine/bed.sh)
set(PELLIX_WIN_TESTS ${PELLIX_WINDOWS_BUILD}/tests)
set(PELLIX_EXE ${PELLIX_WINDOWS_BUILD}/Pellix2.exe)
# The stand-in Java runtime, and one without "JNI_GetDefaultJavaVMInitArgs".
set(PELLIX_STAND_IN_JVM ${PELLIX_WIN_TESTS}/stand_in_jvm/jvm.dll)
set(PELLIX_STAND_IN_JVM_WITHOUT_DEFAULTS ${PELLIX_WIN_TESTS}/stand_in_jvm_without_defaults/jvm.dll)

add_test(NAME wine_bed_setup COMMAND ${PELLIX_BED_SH} setup ${PELLIX_BED} ${PELLIX_WIN_TESTS}/bed_keeper.exe)
add_test(NAME wine_bed_teardown COMMAND ${PELLIX_BED_SH} teardown ${PELLIX_BED})
set_tests_properties(wine_bed_setup PROPERTIES FIXTURES_SETUP wine_bed RESOURCE_LOCK wine_bed)
set_tests_properties(wine_bed_teardown PROPERTIES FIXTURES_CLEANUP wine_bed RESOURCE_LOCK wine_bed)

# pellix_add_wine_test(NAME program.exe [ARGS...]): runs a test program of
# the Windows build in the bed; it reports through its exit code.
function(pellix_add_wine_test name program)
  add_test(NAME ${name}
           COMMAND ${PELLIX_BED_SH} run ${PELLIX_BED} wine ${PELLIX_WIN_TESTS}/${program} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine_bed RESOURCE_LOCK wine_bed TIMEOUT 120)
endfunction()

# Each area registers its own Wine tests.
foreach(area common launcher prompt java_calls rpc)
  include(${PROJECT_SOURCE_DIR}/tests/${area}/wine_tests.cmake)
endforeach()
