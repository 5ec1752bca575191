pellix_add_wine_test(wine_remote_calls remote_calls_test.exe)
pellix_add_wine_test(wine_forwarding forwarding_test.exe
  ${PELLIX_EXE} ${PELLIX_WIN_TESTS}/stand_in_jvm/jvm.dll)
# Three bursts of 100 later starts, two waits for the runtime's idle threads
# to end and a first instance stalled for 8 s: on a loaded machine, longer
# than the two minutes that the others are given.
set_tests_properties(wine_forwarding PROPERTIES TIMEOUT 300)
