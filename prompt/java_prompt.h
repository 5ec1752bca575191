// The modal dialog that asks the user to install 64-bit Java.
#pragma once

#include <cstdint>

#include "prompt_texts.h"

// The process-wide record the dialog shows: the entry fills it at start-up.
extern JavaPromptInfo javaPromptInfo;

// Shows the dialog for info and returns its end code: 1 after the download
// button (the browser has been asked to open the download page), 2 after the
// cancel button, Esc or closing, -1 when the dialog could not be created.
intptr_t showJavaPrompt(const JavaPromptInfo& info);
