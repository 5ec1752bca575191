# The calls into Java against the JDK's real virtual machine and a small Java
# application of the tests' own: plainly, with every JNI call checked, and
# sanitized. Kept out of unit_tests_sanitized: the machine needs sanitizer
# settings of its own.
set(PELLIX_LIBJVM ${PELLIX_JDK}/lib/server/libjvm.so)
if(NOT EXISTS ${PELLIX_LIBJVM})
  message(FATAL_ERROR "${PELLIX_LIBJVM} is missing; tools/setup installs it")
endif()

set(PELLIX_TEST_APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/app/com/norvane/apps/websetup/TavoraLauncher.java
    ${CMAKE_CURRENT_LIST_DIR}/app/com/norvane/apps/websetup/WrongShapes.java)
set(PELLIX_TEST_APP_CLASSES ${CMAKE_CURRENT_BINARY_DIR}/java_calls/app)
set(PELLIX_TEST_APP ${CMAKE_CURRENT_BINARY_DIR}/java_calls/tavora_test_app.jar)
# Compiled by the same JDK whose virtual machine runs it.
add_custom_command(
  OUTPUT ${PELLIX_TEST_APP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PELLIX_TEST_APP_CLASSES}
  COMMAND ${PELLIX_JDK}/bin/javac -encoding UTF-8 -d ${PELLIX_TEST_APP_CLASSES}
          ${PELLIX_TEST_APP_SOURCES}
  COMMAND ${PELLIX_JDK}/bin/jar --create --file ${PELLIX_TEST_APP} -C ${PELLIX_TEST_APP_CLASSES} .
  DEPENDS ${PELLIX_TEST_APP_SOURCES}
  COMMENT "Compiling the Java test application")
add_custom_target(tavora_test_app ALL DEPENDS ${PELLIX_TEST_APP})

# pellix_add_jvm_test(NAME SUFFIX [FLAGS...]): against the java module's
# library of that suffix.
function(pellix_add_jvm_test name suffix)
  add_executable(${name} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/jvm_calls_test.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/utf8_system_text.cpp)
  add_dependencies(${name} tavora_test_app)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    PELLIX_TEST_APP="${PELLIX_TEST_APP}" PELLIX_TEST_JDK="${PELLIX_JDK}")
  target_compile_options(${name} PRIVATE -Wall -Wextra ${ARGN})
  target_link_options(${name} PRIVATE ${ARGN})
  target_link_libraries(${name} PRIVATE pellix_vm${suffix} pellix_class_data${suffix}
    pellix_java_calls${suffix} GTest::gtest ${PELLIX_LIBJVM})
  set_target_properties(${name} PROPERTIES BUILD_RPATH ${PELLIX_JDK}/lib/server)
endfunction()

pellix_add_jvm_test(jvm_calls_test "")
add_test(NAME jvm_calls_test COMMAND jvm_calls_test)
# Again with every JNI call checked by the machine; a warning it prints
# outside the tests' own captures is a misuse.
add_test(NAME jvm_calls_test_checked COMMAND jvm_calls_test --check-jni)
set_tests_properties(jvm_calls_test_checked PROPERTIES FAIL_REGULAR_EXPRESSION
  "WARNING in native method|WARNING: JNI local refs|FATAL ERROR in native method")

# The only sanitized run of java_calls.cpp. The machine's memory is never
# freed, and it handles its own SIGSEGV (safepoints, null checks).
pellix_add_jvm_test(jvm_calls_test_sanitized _sanitized ${PELLIX_SANITIZE})
add_test(NAME jvm_calls_test_sanitized COMMAND jvm_calls_test_sanitized)
set_tests_properties(jvm_calls_test_sanitized PROPERTIES ENVIRONMENT
  "ASAN_OPTIONS=detect_leaks=0:handle_segv=0:allow_user_segv_handler=1")

# A leak under -Xcheck:jni slows the calls down to minutes.
set_tests_properties(jvm_calls_test jvm_calls_test_checked jvm_calls_test_sanitized
  PROPERTIES TIMEOUT 60)
