pellix_add_wine_test(wine_remote_calls remote_calls_test.exe)
pellix_add_wine_test(wine_forwarding forwarding_test.exe
  ${PELLIX_EXE} ${PELLIX_WIN_TESTS}/stand_in_jvm/jvm.dll)
