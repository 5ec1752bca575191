# The calls into Java through the real executable, with the stand-in runtime.
pellix_add_wine_test(wine_java_entry java_entry_test.exe ${PELLIX_EXE} ${PELLIX_STAND_IN_JVM})
