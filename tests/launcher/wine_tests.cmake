pellix_add_wine_test(wine_instance instance_test.exe ${PELLIX_EXE})
