// The fixed settings of this launcher, compiled in.
#pragma once

#include <cstdint>

constexpr const char* kLocaleFileName = "dxr_tavora";

// The product's name: the title of its windows, and its folder in the
// user's roaming and local application data.
constexpr const char16_t* kProductName = u"Tavora";
// The options files' name, beside the executable and in that roaming folder.
constexpr const char16_t* kVmOptionsFileName = u"Pellix2.vmoptions";

constexpr const char* kInstanceMutexName = "Norvane Pellix 1234432101233210";

// Resolved against the working directory; every entry ends with ";".
constexpr const char* kApplicationClassPath =
    ".;Pellix.jar;.\\lib\\Kestrane.jar;.\\lib\\castor_validators.jar;.\\lib\\soap.jar;"
    ".\\lib\\mail.jar;.\\lib\\jaxrpc.jar;.\\lib\\activation.jar;.\\lib\\Hollowmark.jar;";

// Slash form, as the Java Native Interface expects. The same class receives
// main and the later toFront and openFiles calls.
constexpr const char* kMainClass = "com/norvane/apps/websetup/TavoraLauncher";

// 1: add the one jar "briscaCombo.jar" of the extra-jar directory. Builds of
// the launcher for its tests set the other modes.
#ifdef PELLIX_EXTRA_JAR_MODE
constexpr int32_t kExtraJarMode = PELLIX_EXTRA_JAR_MODE;
#else
constexpr int32_t kExtraJarMode = 1;
#endif
