# The tests that run the portable logic on several threads at once, under
# ThreadSanitizer. It cannot share a binary with AddressSanitizer, so these
# tests get one of their own.
add_executable(concurrency_tests_tsan launcher/pending_files_test.cpp)
target_link_libraries(concurrency_tests_tsan PRIVATE pellix_arguments_tsan)
target_compile_options(concurrency_tests_tsan PRIVATE
  -Wall -Wextra -fsanitize=thread -fno-omit-frame-pointer -g)
target_link_options(concurrency_tests_tsan PRIVATE -fsanitize=thread)
target_link_libraries(concurrency_tests_tsan PRIVATE GTest::gtest_main)
add_test(NAME concurrency_tests_tsan COMMAND concurrency_tests_tsan)
# Any report fails the test, at the first one.
set_tests_properties(concurrency_tests_tsan PROPERTIES ENVIRONMENT
  "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1")
