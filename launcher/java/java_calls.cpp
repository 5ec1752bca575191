#include "java_calls.h"

#include "launcher/launcher.h"
#include "prompt/java_prompt.h"

char mainClassName[512] = "";

// No runtime can be reached yet: this is what a start without a registered
// runtime does.
int32_t launchJava(const char*, const char*, int32_t) {
    showJavaPrompt(javaPromptInfo);
    return -5;
}

int32_t callToFront() {
    return callJavaMethod(mainClassName, "toFront", 0, nullptr);
}

int32_t callJavaMethod(const char*, const char*, int32_t, const char* const*) {
    return -5;
}
