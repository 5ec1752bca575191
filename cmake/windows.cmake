# The Windows executable and the Windows-side test programs.
enable_language(RC)

set(PELLIX_WARNINGS -Wall -Wextra -Wno-unused-parameter)
set(PELLIX_SIZE_FLAGS -Oz -flto -ffunction-sections -fdata-sections)

# Runs on the build machine: draws the icon group that the resources embed.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(PELLIX_ICON ${CMAKE_BINARY_DIR}/app/Pellix2.ico)
add_custom_command(
  OUTPUT ${PELLIX_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/app
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/draw_icon.py ${PELLIX_ICON}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/draw_icon.py
  COMMENT "Drawing the icon group")

# Every Windows target of the project builds against the same Windows.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Off only for the benchmarks' build that measures what the trace costs.
option(PELLIX_TRACE "Compile the trace points in" ON)
if(NOT PELLIX_TRACE)
  add_compile_definitions(PELLIX_NO_TRACE)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/modules.cmake)
pellix_add_modules(WINDOWS OPTIONS ${PELLIX_WARNINGS} ${PELLIX_SIZE_FLAGS})

# pellix_add_launcher(TARGET [DEFINITION...]): the executable, from the entry
# compiled with the given definitions and the modules' libraries.
function(pellix_add_launcher target)
  add_executable(${target} WIN32 ${PROJECT_SOURCE_DIR}/app/main_win.cpp
    ${PROJECT_SOURCE_DIR}/app/terminate_handler.cpp ${PROJECT_SOURCE_DIR}/app/Pellix2.rc)
  target_compile_definitions(${target} PRIVATE ${ARGN})
  target_compile_options(${target} PRIVATE ${PELLIX_WARNINGS} ${PELLIX_SIZE_FLAGS})
  # windres looks for the icon and the manifest on its include path.
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:RC>:-I${CMAKE_BINARY_DIR}/app -I${PROJECT_SOURCE_DIR}/app>)
  target_link_options(${target} PRIVATE -Wl,--gc-sections -s -flto)
  target_link_libraries(${target} PRIVATE pellix_app pellix_launcher_win comctl32)
endfunction()

set_source_files_properties(app/Pellix2.rc PROPERTIES
  OBJECT_DEPENDS "${PELLIX_ICON};${PROJECT_SOURCE_DIR}/app/Pellix2.manifest")
pellix_add_launcher(Pellix2)
target_sources(Pellix2 PRIVATE ${PELLIX_ICON})
set_target_properties(Pellix2 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_subdirectory(tests)
