# The missing-Java dialog through the real executable, with a recording
# stand-in for the browser.
pellix_add_wine_test(wine_prompt_dialog dialog_test.exe
  ${PELLIX_EXE} ${PELLIX_WIN_TESTS}/iexplore_recorder.exe)
