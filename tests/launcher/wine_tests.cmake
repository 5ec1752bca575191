pellix_add_wine_test(wine_instance instance_test.exe ${PELLIX_EXE})
pellix_add_wine_test(wine_faults faults_test.exe ${PELLIX_EXE} ${PELLIX_WIN_TESTS}/stand_in_jvm/jvm.dll)
