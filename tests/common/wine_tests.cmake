pellix_add_wine_test(wine_trace trace_file_test.exe ${PELLIX_EXE} ${PELLIX_WIN_TESTS}/stand_in_jvm/jvm.dll)
