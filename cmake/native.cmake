# Native build: unit tests of the portable logic, plain and under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows build with
# its tests under Wine.
include(CTest)
include(ExternalProject)

# The portable part of every module, plainly and with the sanitizers of the
# tests that need their own builds of it.
include(${CMAKE_CURRENT_LIST_DIR}/modules.cmake)
set(PELLIX_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
pellix_add_modules()
pellix_add_modules(SUFFIX _sanitized OPTIONS ${PELLIX_SANITIZE})
pellix_add_modules(SUFFIX _tsan MODULES common arguments OPTIONS -fsanitize=thread -fno-omit-frame-pointer -g)

option(PELLIX_WINDOWS "Cross-build the Windows executable and test it under Wine" ON)

if(PELLIX_WINDOWS)
  set(PELLIX_WINDOWS_BUILD ${CMAKE_BINARY_DIR}/windows)
  ExternalProject_Add(windows
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PELLIX_WINDOWS_BUILD}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-clang.cmake
               -DCMAKE_BUILD_TYPE=Release
               -DPELLIX_JDK=${PELLIX_JDK}
               -DCMAKE_EXPORT_COMPILE_COMMANDS=ON # for the static analysis
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
endif()

add_subdirectory(tests)
