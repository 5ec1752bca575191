# The product's modules, each one list of sources. A file whose name ends in
# "_win" is the module's Windows part, and only such a file may include
# <windows.h>; every other file is the module's portable part, which is also
# built and tested natively. tests/check_layout.py holds the tree to that
# rule and to the order in which the modules may include each other.
#
# Included by the Windows build, the native build and the separate builds of
# the fuzzers and the virtual machine benchmark, so that no list of product
# sources exists twice.
get_filename_component(PELLIX_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# Lowest first: a module may use those before it.
set(PELLIX_MODULES
    common arguments prompt outcome runtime java_calls rpc vm_options class_data vm launcher app)
# The folders that hold the product's sources; tests/check_layout.py keeps
# its own copy of the list.
set(PELLIX_PRODUCT_FOLDERS
    app common launcher prompt rpc outcome runtime java_calls vm_options class_data vm)

# What every room builds on: the trace, the rules of paths, the places asked
# of Windows once, the code page, and the holder of released handles (a
# header alone).
set(PELLIX_common_SOURCES
    common/path_rules.cpp common/trace.cpp
    common/files_win.cpp common/places_win.cpp common/text_win.cpp common/trace_win.cpp)

# The command-line arguments, the forwarded text and the hand-over queue.
set(PELLIX_arguments_SOURCES
    launcher/arguments.cpp launcher/pending_files.cpp launcher/sender_folder.cpp
    launcher/arguments_win.cpp)
set(PELLIX_arguments_USES common)
# The missing-Java prompt: the texts of nine languages and the dialog.
set(PELLIX_prompt_SOURCES
    prompt/dialog_layout.cpp prompt/prompt_texts.cpp prompt/wide_copy.cpp
    prompt/java_prompt_win.cpp)
set(PELLIX_prompt_USES common)
set(PELLIX_prompt_SYSTEM_LIBRARIES user32 gdi32)
# How far a launch got, and what the user is told where it stopped.
set(PELLIX_outcome_SOURCES outcome/java_outcome.cpp)
set(PELLIX_outcome_USES common)
# Which Java runtime: the registry, the places beyond it, the choice.
set(PELLIX_runtime_SOURCES
    runtime/java_home.cpp runtime/runtime_choice.cpp
    runtime/java_home_win.cpp runtime/runtime_choice_win.cpp)
set(PELLIX_runtime_USES common outcome)
set(PELLIX_runtime_SYSTEM_LIBRARIES advapi32)
# Every call into Java once the machine exists.
set(PELLIX_java_calls_SOURCES java_calls/java_calls.cpp java_calls/java_calls_win.cpp)
set(PELLIX_java_calls_USES common arguments)
set(PELLIX_java_calls_SYSTEM_LIBRARIES user32)
# The RemoteCalls interface: who may call, the client and the server.
set(PELLIX_rpc_SOURCES
    rpc/call_retry.cpp rpc/caller_identity.cpp
    rpc/midl_user_win.cpp rpc/remote_calls_client_win.cpp
    rpc/remote_calls_server_win.cpp)
set(PELLIX_rpc_USES common arguments)
set(PELLIX_rpc_SYSTEM_LIBRARIES rpcrt4 advapi32)
# What the virtual machine is given: the fixed options and the files'.
set(PELLIX_vm_options_SOURCES
    vm_options/java_options.cpp vm_options/vm_options_file.cpp
    vm_options/java_options_win.cpp vm_options/vm_options_file_win.cpp)
set(PELLIX_vm_options_USES common runtime)
# The class-data cache under the user's local application data.
set(PELLIX_class_data_SOURCES class_data/class_data.cpp class_data/class_data_win.cpp)
set(PELLIX_class_data_USES common runtime vm_options)
# Loading the runtime's library and creating the machine.
set(PELLIX_vm_SOURCES vm/java_creation.cpp vm/java_vm_win.cpp)
set(PELLIX_vm_USES common outcome vm_options)
# The launch driver: the instance lock, both instances' paths, the watcher,
# the start of Java as one sequence, and the one place that reports a
# failure.
set(PELLIX_launcher_SOURCES launcher/java_launch_win.cpp launcher/launch_driver_win.cpp)
set(PELLIX_launcher_USES
    common arguments prompt outcome runtime java_calls rpc vm_options class_data vm)
# The locale file, and where the application's files are (the entry itself,
# app/main_win.cpp, is the executable's).
set(PELLIX_app_SOURCES app/app_folder.cpp app/locale_file.cpp)
set(PELLIX_app_USES common)

# pellix_module_sources(OUT MODULE PORTABLE|WINDOWS): the absolute paths of
# one part of a module.
function(pellix_module_sources out module part)
  set(sources "")
  foreach(source ${PELLIX_${module}_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    if(name MATCHES "_win$")
      set(source_part WINDOWS)
    else()
      set(source_part PORTABLE)
    endif()
    if(source_part STREQUAL part)
      list(APPEND sources ${PELLIX_ROOT}/${source})
    endif()
  endforeach()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# pellix_add_modules([SUFFIX S] [WINDOWS] [MODULES M...] [OPTIONS FLAG...]):
# for each module M (all unless named), the static library pellix_M<S> of its
# portable part and, with WINDOWS, pellix_M_win<S> of its Windows part, which
# links the former. Each links the libraries of the modules it uses, so that
# a target names only the module it needs.
function(pellix_add_modules)
  cmake_parse_arguments(ARG "WINDOWS" "SUFFIX" "MODULES;OPTIONS" ${ARGN})
  if(NOT ARG_MODULES)
    set(ARG_MODULES ${PELLIX_MODULES})
  endif()
  if(ARG_WINDOWS)
    set(jni_includes ${PELLIX_JDK}/include ${PELLIX_ROOT}/common/jni)
  else()
    set(jni_includes ${PELLIX_JDK}/include ${PELLIX_JDK}/include/linux)
  endif()
  foreach(module ${ARG_MODULES})
    set(portable pellix_${module}${ARG_SUFFIX})
    set(windows pellix_${module}_win${ARG_SUFFIX})
    pellix_module_sources(portable_sources ${module} PORTABLE)
    pellix_module_sources(windows_sources ${module} WINDOWS)
    # A module without a portable part still has its target, for the
    # libraries of the modules it uses.
    if(portable_sources)
      add_library(${portable} STATIC ${portable_sources})
      set(scope PUBLIC)
    else()
      add_library(${portable} INTERFACE)
      set(scope INTERFACE)
    endif()
    target_include_directories(${portable} ${scope} ${PELLIX_ROOT} ${jni_includes})
    foreach(used ${PELLIX_${module}_USES})
      target_link_libraries(${portable} ${scope} pellix_${used}${ARG_SUFFIX})
    endforeach()
    if(portable_sources)
      target_compile_options(${portable} PRIVATE ${ARG_OPTIONS})
    endif()
    if(ARG_WINDOWS AND windows_sources)
      add_library(${windows} STATIC ${windows_sources})
      target_compile_options(${windows} PRIVATE ${ARG_OPTIONS})
      target_link_libraries(${windows} PUBLIC ${portable} ${PELLIX_${module}_SYSTEM_LIBRARIES})
      foreach(used ${PELLIX_${module}_USES})
        if(TARGET pellix_${used}_win${ARG_SUFFIX})
          target_link_libraries(${windows} PUBLIC pellix_${used}_win${ARG_SUFFIX})
        endif()
      endforeach()
    endif()
  endforeach()
endfunction()
