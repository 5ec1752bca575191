# Cross-compiles for 64-bit Windows with clang and MinGW-w64's headers and
# libraries. GCC alone cannot compile __try/__except; clang can.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELLIX_TRIPLE x86_64-w64-mingw32)
set(PELLIX_MINGW_ROOT /usr/${PELLIX_TRIPLE})

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${PELLIX_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${PELLIX_TRIPLE})
set(CMAKE_RC_COMPILER ${PELLIX_TRIPLE}-windres)

# Debian installs MinGW-w64's libstdc++ under a directory named after the
# thread model ("12-posix"), which clang does not recognise as a GCC
# installation; name its headers and libraries explicitly.
file(GLOB _gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${PELLIX_TRIPLE}/*-posix)
list(SORT _gcc_dirs)
list(POP_BACK _gcc_dirs PELLIX_GCC_DIR)
if(NOT PELLIX_GCC_DIR)
  message(FATAL_ERROR "MinGW-w64 posix GCC libraries not found (g++-mingw-w64-x86-64-posix)")
endif()
set(_cxx_inc ${PELLIX_GCC_DIR}/include/c++)

set(CMAKE_SYSROOT ${PELLIX_MINGW_ROOT})
set(CMAKE_C_FLAGS_INIT "-fms-extensions")
set(CMAKE_CXX_FLAGS_INIT
    "-fms-extensions -isystem ${_cxx_inc} -isystem ${_cxx_inc}/${PELLIX_TRIPLE} -isystem ${_cxx_inc}/backward")
# Static C and C++ runtime: the executable then needs only system DLLs.
# winpthread backs the posix thread model of libstdc++; lld resolves archives
# regardless of their position on the command line.
set(_link "-fuse-ld=lld -static -L${PELLIX_GCC_DIR} -lpthread")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_link}")

set(CMAKE_FIND_ROOT_PATH ${PELLIX_MINGW_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
