pellix_add_wine_test(wine_instance instance_test.exe ${PELLIX_EXE})
pellix_add_wine_test(wine_faults faults_test.exe ${PELLIX_EXE} ${PELLIX_WIN_TESTS}/stand_in_jvm/jvm.dll)
# The whole start of Java, with the stand-in runtime.
pellix_add_wine_test(wine_java_runtime java_runtime_test.exe
  ${PELLIX_EXE} ${PELLIX_STAND_IN_JVM} ${PELLIX_STAND_IN_JVM_WITHOUT_DEFAULTS}
  ${PELLIX_WIN_TESTS}/Pellix2-mode0.exe ${PELLIX_WIN_TESTS}/Pellix2-mode2.exe
  ${PELLIX_WIN_TESTS}/Pellix2-mode3.exe)
