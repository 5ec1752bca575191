# Fuzz targets of the portable logic, with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer. libFuzzer comes with clang, not with the g++ of
# the native build, so clang++ is called directly. The tests run each target
# briefly from its seed corpus, so that the targets keep building and their
# properties keep holding; tests/fuzz/README.md says how to run them long.
find_program(PELLIX_CLANGXX NAMES clang++-14 clang++ REQUIRED)

set(PELLIX_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(PELLIX_FUZZ_BUILD ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
set(PELLIX_FUZZ_FLAGS -std=c++17 -g -O1 -Wall -Wextra -Werror
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

# pellix_add_fuzz_target(NAME RUNS MAX_LEN SOURCE...): builds
# tests/fuzz/NAME_fuzzer.cpp with the product sources given, and a test that
# runs it RUNS times on inputs of up to MAX_LEN bytes. New inputs go to a
# corpus in the build tree, never to the seeds in the source tree.
function(pellix_add_fuzz_target name runs max_len)
  set(binary ${PELLIX_FUZZ_BUILD}/${name}_fuzzer)
  set(sources ${PELLIX_FUZZ_DIR}/${name}_fuzzer.cpp)
  # Each product source comes with its header, which is all they include of
  # the project.
  set(headers ${PELLIX_FUZZ_DIR}/fuzz_check.h)
  foreach(source ${ARGN})
    list(APPEND sources ${PROJECT_SOURCE_DIR}/${source})
    string(REGEX REPLACE "\\.cpp$" ".h" header ${PROJECT_SOURCE_DIR}/${source})
    list(APPEND headers ${header})
  endforeach()
  add_custom_command(
    OUTPUT ${binary}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PELLIX_FUZZ_BUILD}/${name}
    COMMAND ${PELLIX_CLANGXX} ${PELLIX_FUZZ_FLAGS} -I${PROJECT_SOURCE_DIR} ${sources} -o ${binary}
    DEPENDS ${sources} ${headers}
    COMMENT "Building fuzz target ${name}"
    VERBATIM)
  add_custom_target(${name}_fuzzer ALL DEPENDS ${binary})
  add_test(NAME fuzz_${name}
           COMMAND ${binary} -runs=${runs} -max_len=${max_len}
                   -artifact_prefix=${PELLIX_FUZZ_BUILD}/${name}-
                   ${PELLIX_FUZZ_BUILD}/${name} ${PELLIX_FUZZ_DIR}/corpus/${name})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 60)
endfunction()

# Runs for about three seconds each here.
pellix_add_fuzz_target(command_line 100000 12000 launcher/arguments.cpp)
pellix_add_fuzz_target(forwarded_text 60000 12000 launcher/arguments.cpp)
pellix_add_fuzz_target(locale_file 300000 4096 app/locale_file.cpp)
pellix_add_fuzz_target(receiving 5000 4096 launcher/arguments.cpp launcher/pending_files.cpp)
