# The launcher's Java side through the real executable, with the stand-in
# runtime.
set(PELLIX_STAND_IN_JVM ${PELLIX_WIN_TESTS}/stand_in_jvm/jvm.dll)
set(PELLIX_STAND_IN_JVM_WITHOUT_DEFAULTS ${PELLIX_WIN_TESTS}/stand_in_jvm_without_defaults/jvm.dll)
pellix_add_wine_test(wine_java_runtime java_runtime_test.exe
  ${PELLIX_EXE} ${PELLIX_STAND_IN_JVM} ${PELLIX_STAND_IN_JVM_WITHOUT_DEFAULTS}
  ${PELLIX_WIN_TESTS}/Pellix2-mode0.exe ${PELLIX_WIN_TESTS}/Pellix2-mode2.exe
  ${PELLIX_WIN_TESTS}/Pellix2-mode3.exe)
pellix_add_wine_test(wine_java_entry java_entry_test.exe ${PELLIX_EXE} ${PELLIX_STAND_IN_JVM})
