# The Windows executable and the Windows-side test programs.
enable_language(RC)

set(PELLIX_WARNINGS -Wall -Wextra -Wno-unused-parameter)
set(PELLIX_SIZE_FLAGS -Os -ffunction-sections -fdata-sections)

# Runs on the build machine: draws the icon group that the resources embed.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(PELLIX_ICON ${CMAKE_BINARY_DIR}/app/Pellix2.ico)
add_custom_command(
  OUTPUT ${PELLIX_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/app
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/draw_icon.py ${PELLIX_ICON}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/draw_icon.py
  COMMENT "Drawing the icon group")

# Everything but the entry, once for the launcher and its test builds.
add_library(pellix_launcher OBJECT
  ${PELLIX_PORTABLE_SOURCES}
  app/terminate_handler.cpp
  launcher/arguments_win.cpp
  launcher/launch_driver.cpp
  launcher/java/java_calls.cpp
  launcher/java/java_calls_win.cpp
  launcher/java/java_home_win.cpp
  launcher/java/java_vm_win.cpp
  launcher/rpc/midl_user.cpp
  launcher/rpc/remote_calls_client.cpp
  launcher/rpc/remote_calls_server.cpp
  prompt/java_prompt.cpp)
set(PELLIX_LAUNCHER_INCLUDES
  ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/app ${PROJECT_SOURCE_DIR}/launcher
  ${PELLIX_JDK}/include ${PROJECT_SOURCE_DIR}/launcher/java/win)
set(PELLIX_LAUNCHER_DEFINITIONS WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_include_directories(pellix_launcher PRIVATE ${PELLIX_LAUNCHER_INCLUDES})
target_compile_definitions(pellix_launcher PRIVATE ${PELLIX_LAUNCHER_DEFINITIONS})
target_compile_options(pellix_launcher PRIVATE ${PELLIX_WARNINGS} ${PELLIX_SIZE_FLAGS})

# pellix_add_launcher(TARGET [DEFINITION...]): the executable, from the entry
# compiled with the given definitions and the objects above.
function(pellix_add_launcher target)
  add_executable(${target} WIN32 ${PROJECT_SOURCE_DIR}/app/main.cpp
    ${PROJECT_SOURCE_DIR}/app/Pellix2.rc $<TARGET_OBJECTS:pellix_launcher>)
  target_include_directories(${target} PRIVATE ${PELLIX_LAUNCHER_INCLUDES})
  target_compile_definitions(${target} PRIVATE ${PELLIX_LAUNCHER_DEFINITIONS} ${ARGN})
  target_compile_options(${target} PRIVATE ${PELLIX_WARNINGS} ${PELLIX_SIZE_FLAGS})
  # windres looks for the icon and the manifest on its include path.
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:RC>:-I${CMAKE_BINARY_DIR}/app -I${PROJECT_SOURCE_DIR}/app>)
  target_link_options(${target} PRIVATE -Wl,--gc-sections -s)
  target_link_libraries(${target} PRIVATE comctl32 rpcrt4 advapi32 user32 gdi32)
endfunction()

set_source_files_properties(app/Pellix2.rc PROPERTIES
  OBJECT_DEPENDS "${PELLIX_ICON};${PROJECT_SOURCE_DIR}/app/Pellix2.manifest")
pellix_add_launcher(Pellix2)
target_sources(Pellix2 PRIVATE ${PELLIX_ICON})
set_target_properties(Pellix2 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_subdirectory(tests)
