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

add_executable(Pellix2 WIN32
  ${PELLIX_PORTABLE_SOURCES}
  app/main.cpp
  app/terminate_handler.cpp
  app/Pellix2.rc
  launcher/arguments_win.cpp
  launcher/launch_driver.cpp
  launcher/java/java_calls.cpp
  launcher/java/java_calls_win.cpp
  launcher/java/java_home_win.cpp
  launcher/java/java_vm_win.cpp
  launcher/rpc/midl_user.cpp
  launcher/rpc/remote_calls_client.cpp
  launcher/rpc/remote_calls_server.cpp
  prompt/java_prompt.cpp
  ${PELLIX_ICON})
set_source_files_properties(app/Pellix2.rc PROPERTIES
  OBJECT_DEPENDS "${PELLIX_ICON};${PROJECT_SOURCE_DIR}/app/Pellix2.manifest")
target_include_directories(Pellix2 PRIVATE
  ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/app ${PROJECT_SOURCE_DIR}/launcher
  ${PELLIX_JDK}/include ${PROJECT_SOURCE_DIR}/launcher/java/win)
target_compile_definitions(Pellix2 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(Pellix2 PRIVATE ${PELLIX_WARNINGS} ${PELLIX_SIZE_FLAGS})
# windres looks for the icon and the manifest on its include path.
target_compile_options(Pellix2 PRIVATE
  $<$<COMPILE_LANGUAGE:RC>:-I${CMAKE_BINARY_DIR}/app -I${PROJECT_SOURCE_DIR}/app>)
target_link_options(Pellix2 PRIVATE -Wl,--gc-sections -s)
target_link_libraries(Pellix2 PRIVATE comctl32 rpcrt4 shell32 advapi32 user32 gdi32)
set_target_properties(Pellix2 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_subdirectory(tests)
