# The fuzz targets of the portable logic, built by tests/fuzz/CMakeLists.txt
# with clang++, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
# The tests run each target briefly from its seed corpus, so that the
# targets keep building and their properties keep holding;
# tests/fuzz/README.md says how to run them long.
find_program(PELLIX_CLANGXX NAMES clang++-14 clang++ REQUIRED)

set(PELLIX_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(PELLIX_FUZZ_BUILD ${CMAKE_BINARY_DIR}/tests/fuzz)
ExternalProject_Add(fuzz
  SOURCE_DIR ${PELLIX_FUZZ_DIR}
  BINARY_DIR ${PELLIX_FUZZ_BUILD}
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${PELLIX_CLANGXX} -DCMAKE_BUILD_TYPE=Release
             -DPELLIX_JDK=${PELLIX_JDK}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

# pellix_add_fuzz_test(NAME RUNS MAX_LEN): runs NAME_fuzzer RUNS times on
# inputs of up to MAX_LEN bytes. New inputs go to a corpus in the build
# tree, never to the seeds in the source tree.
function(pellix_add_fuzz_test name runs max_len)
  set(binary ${PELLIX_FUZZ_BUILD}/${name}_fuzzer)
  file(MAKE_DIRECTORY ${PELLIX_FUZZ_BUILD}/${name})
  add_test(NAME fuzz_${name}
           COMMAND ${binary} -runs=${runs} -max_len=${max_len}
                   -artifact_prefix=${PELLIX_FUZZ_BUILD}/${name}-
                   ${PELLIX_FUZZ_BUILD}/${name} ${PELLIX_FUZZ_DIR}/corpus/${name})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 60)
endfunction()

# Runs for about three seconds each here.
pellix_add_fuzz_test(command_line 100000 12000)
pellix_add_fuzz_test(forwarded_text 60000 12000)
pellix_add_fuzz_test(locale_file 300000 4096)
pellix_add_fuzz_test(receiving 5000 4096)
pellix_add_fuzz_test(wide_split 8000 24000)
pellix_add_fuzz_test(wide_receiving 5000 8192)
