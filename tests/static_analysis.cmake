# Static analysis of the product sources (the folders of cmake/modules.cmake) as tests:
# clang-tidy with the checks of .clang-tidy, and cppcheck. The portable files
# are analysed as the native build sees them; every product file as the
# Windows build compiles it, from that build's compile_commands.json.
find_program(PELLIX_CLANG_TIDY NAMES clang-tidy-14 clang-tidy REQUIRED)
find_program(PELLIX_RUN_CLANG_TIDY NAMES run-clang-tidy-14 run-clang-tidy REQUIRED)
find_program(PELLIX_CPPCHECK cppcheck REQUIRED)
cmake_host_system_information(RESULT PELLIX_CORES QUERY NUMBER_OF_LOGICAL_CORES)

# The native compile commands of the portable files; the native build's own
# would bring the tests and g++'s flags with them.
set(PELLIX_NATIVE_COMMANDS ${CMAKE_CURRENT_BINARY_DIR}/static_analysis)
set(entries "")
set(portable_sources "")
foreach(module ${PELLIX_MODULES})
  pellix_module_sources(sources ${module} PORTABLE)
  list(APPEND portable_sources ${sources})
endforeach()
if(NOT portable_sources)
  message(FATAL_ERROR "no portable sources to analyse")
endif()
foreach(source ${portable_sources})
  list(APPEND entries "{\"directory\": \"${PELLIX_NATIVE_COMMANDS}\", \"file\": \"${source}\", \
\"command\": \"clang++ -std=c++17 -I${PROJECT_SOURCE_DIR} -I${PELLIX_JDK}/include \
-I${PELLIX_JDK}/include/linux -c ${source}\"}")
endforeach()
list(JOIN entries ",\n" entries)
file(WRITE ${PELLIX_NATIVE_COMMANDS}/compile_commands.json "[\n${entries}\n]\n")

list(JOIN PELLIX_PRODUCT_FOLDERS "|" folders)
set(PELLIX_PRODUCT_FILES "${PROJECT_SOURCE_DIR}/(${folders})/")
set(PELLIX_CPPCHECK_FILTERS "")
set(PELLIX_PRODUCT_GLOBS "")
foreach(folder ${PELLIX_PRODUCT_FOLDERS})
  list(APPEND PELLIX_CPPCHECK_FILTERS --file-filter=${PROJECT_SOURCE_DIR}/${folder}/*)
  list(APPEND PELLIX_PRODUCT_GLOBS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
endforeach()

# clang-tidy: .clang-tidy turns every finding into an error.
function(pellix_add_clang_tidy_test name commands)
  add_test(NAME ${name}
           COMMAND ${PELLIX_RUN_CLANG_TIDY} -quiet -clang-tidy-binary ${PELLIX_CLANG_TIDY}
                   -p ${commands} -j ${PELLIX_CORES} ${PELLIX_PRODUCT_FILES})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 FAIL_REGULAR_EXPRESSION "(warning|error):")
endfunction()

# cppcheck: no system headers, which it is not meant to read; it knows the
# C, C++ and Windows libraries by their configurations instead.
set(PELLIX_CPPCHECK_FLAGS -q --std=c++17 --enable=warning,style,performance,portability
    --inconclusive --error-exitcode=1
    --suppressions-list=${CMAKE_CURRENT_LIST_DIR}/cppcheck_suppressions.txt)
function(pellix_add_cppcheck_test name commands)
  add_test(NAME ${name}
           COMMAND ${PELLIX_CPPCHECK} ${PELLIX_CPPCHECK_FLAGS} ${ARGN}
                   --project=${commands}/compile_commands.json
                   ${PELLIX_CPPCHECK_FILTERS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
endfunction()

pellix_add_clang_tidy_test(clang_tidy_portable ${PELLIX_NATIVE_COMMANDS})
pellix_add_cppcheck_test(cppcheck_portable ${PELLIX_NATIVE_COMMANDS} --platform=unix64)

if(PELLIX_WINDOWS)
  pellix_add_clang_tidy_test(clang_tidy_windows ${PELLIX_WINDOWS_BUILD})
  # cppcheck does not read the response files in which the Windows build's
  # compile commands pass their include directories, so the files are named
  # here with the Windows build's directories and macros, and the compiler's
  # predefined ones.
  file(GLOB_RECURSE PELLIX_PRODUCT_SOURCES CONFIGURE_DEPENDS ${PELLIX_PRODUCT_GLOBS})
  add_test(NAME cppcheck_windows
           COMMAND ${PELLIX_CPPCHECK} ${PELLIX_CPPCHECK_FLAGS} --platform=win64 --library=windows
                   -D_WIN32 -D_WIN64 -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601
                   -I${PROJECT_SOURCE_DIR} -I${PROJECT_SOURCE_DIR}/app
                   -I${PROJECT_SOURCE_DIR}/launcher -I${PELLIX_JDK}/include
                   -I${PROJECT_SOURCE_DIR}/common/jni ${PELLIX_PRODUCT_SOURCES})
  set_tests_properties(cppcheck_windows PROPERTIES TIMEOUT 120)
endif()
