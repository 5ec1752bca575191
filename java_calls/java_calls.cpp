#include "java_calls.h"

#include <cstdio>

#include "common/trace.h"
#include "launcher/arguments.h"
#include "launcher/launcher.h"

JavaVM* javaVM = nullptr;
JNIEnv* javaEnv = nullptr;
char mainClassName[512] = "";

namespace {

constexpr const char* kStringArrayVoid = "([Ljava/lang/String;)V";
constexpr const char* kStringArrayInt = "([Ljava/lang/String;)I";

// Every call into Java runs in a local frame of its own, so that the
// classes, arrays and strings it makes are released when it returns: the
// main thread never returns into Java, and would otherwise keep them all.
class LocalFrame {
  public:
    LocalFrame(JNIEnv* env, jint capacity)
        : env_(env), pushed_(env->PushLocalFrame(capacity) == 0) {
        if (!pushed_) {
            env_->ExceptionClear();
        }
    }
    ~LocalFrame() {
        if (pushed_) {
            env_->PopLocalFrame(nullptr);
        }
    }
    LocalFrame(const LocalFrame&) = delete;
    LocalFrame& operator=(const LocalFrame&) = delete;

    explicit operator bool() const { return pushed_; }

  private:
    JNIEnv* env_;
    bool pushed_;
};

// A failed lookup leaves an exception pending (NoClassDefFoundError,
// NoSuchMethodError); the next call into Java must not find it there.
jclass findClass(JNIEnv* env, const char* name) {
    jclass found = env->FindClass(name);
    if (found == nullptr) {
        env->ExceptionClear();
        TRACE("Java: class %s not found", name);
    }
    return found;
}

jmethodID findStaticMethod(JNIEnv* env, jclass cls, const char* name, const char* descriptor) {
    jmethodID found = env->GetStaticMethodID(cls, name, descriptor);
    if (found == nullptr) {
        env->ExceptionClear();
        TRACE("Java: static method %s%s not found", name, descriptor);
    }
    return found;
}

// The class name of a thrown object, asked of Java itself: Class.getName.
// Called with no exception pending; any failure gives an empty name.
std::string thrownClassName(JNIEnv* env, jthrowable thrown) {
    jclass thrownClass = env->GetObjectClass(thrown);
    jclass classClass = thrownClass == nullptr ? nullptr : env->GetObjectClass(thrownClass);
    jmethodID getName = classClass == nullptr
                            ? nullptr
                            : env->GetMethodID(classClass, "getName", "()Ljava/lang/String;");
    if (getName == nullptr) {
        env->ExceptionClear();
        return {};
    }
    auto* text = static_cast<jstring>(env->CallObjectMethod(thrownClass, getName));
    if (env->ExceptionCheck() || text == nullptr) {
        env->ExceptionClear();
        return {};
    }
    std::string name;
    if (const char* chars = env->GetStringUTFChars(text, nullptr)) {
        name = chars;
        env->ReleaseStringUTFChars(text, chars);
    }
    env->ExceptionClear(); // out of memory for the characters
    return name;
}

// What the application's own code threw is shown on standard error and
// cleared, so that the next call into Java works. The trace names its class;
// the stack trace stays on standard error.
bool describeException(JNIEnv* env) {
    if (!env->ExceptionCheck()) {
        return false;
    }
    jthrowable thrown = traceEnabled ? env->ExceptionOccurred() : nullptr;
    env->ExceptionDescribe();
    env->ExceptionClear();
    if (thrown != nullptr) {
        TRACE("Java: exception %s left pending", thrownClassName(env, thrown).c_str());
    }
    return true;
}

// A String[] of the texts, narrow or UTF-16, or null. A negative count gives
// an empty array, a null text a null element.
template <typename Char>
jobjectArray makeStringArray(JNIEnv* env, jclass stringClass, int32_t count,
                             const Char* const* texts) {
    const jsize length = count > 0 ? count : 0;
    jobjectArray array = env->NewObjectArray(length, stringClass, nullptr);
    if (array == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    for (jsize i = 0; i < length; ++i) {
        if (texts[i] == nullptr) {
            continue;
        }
        jstring text = env->NewStringUTF(toModifiedUtf8(texts[i]).c_str());
        if (text == nullptr) { // out of memory: an exception is pending
            env->ExceptionClear();
            return nullptr;
        }
        env->SetObjectArrayElement(array, i, text);
    }
    return array;
}

// This process's command-line arguments as a String[], or null. From the
// UTF-16 command line: the system code page would lose every character
// that it lacks, or make another one of it.
jobjectArray makeArgArray(JNIEnv* env) {
    WideArgList args;
    parseCommandLine(args);
    jclass stringClass = findClass(env, "java/lang/String");
    if (stringClass == nullptr) {
        return nullptr;
    }
    return makeStringArray(env, stringClass, args.count, entryTexts(args).data());
}

template <typename Char>
int32_t callIntMethod(const char* className, const char* methodName, int32_t count,
                      const Char* const* texts) {
    JNIEnv* env = javaEnv;
    if (env == nullptr || (count > 0 && texts == nullptr)) {
        return kJavaUnreachable;
    }
    LocalFrame frame(env, (count > 0 ? count : 0) + 8);
    if (!frame) {
        return kJavaUnreachable;
    }
    jclass cls = findClass(env, className);
    if (cls == nullptr) {
        return kJavaUnreachable;
    }
    jmethodID method = findStaticMethod(env, cls, methodName, kStringArrayInt);
    if (method == nullptr) {
        return kJavaUnreachable;
    }
    jclass stringClass = findClass(env, "java/lang/String");
    if (stringClass == nullptr) {
        std::fputs("Could not load java.lang.String!", stdout);
        return kJavaUnreachable;
    }
    jobjectArray array = makeStringArray(env, stringClass, count, texts);
    if (array == nullptr) {
        return kJavaUnreachable;
    }
    const jint result = env->CallStaticIntMethod(cls, method, array);
    if (describeException(env)) {
        return kJavaUnreachable;
    }
    if (result != 0) {
        showJavaMethodError();
    }
    return result;
}

} // namespace

int32_t callJavaMain(const char* mainClass) {
    JNIEnv* env = javaEnv;
    LocalFrame frame(env, kMaxArguments + 8);
    if (!frame) {
        return kJavaUnreachable;
    }
    // Loaded early on purpose; the launch does not depend on either.
    findClass(env, "java/lang/String");
    findClass(env, "javax/swing/JFrame");

    jclass cls = findClass(env, mainClass);
    if (cls == nullptr) {
        return kJavaUnreachable;
    }
    jmethodID main = findStaticMethod(env, cls, "main", kStringArrayVoid);
    if (main == nullptr) {
        return kJavaUnreachable;
    }
    jobjectArray args = makeArgArray(env);
    if (args == nullptr) {
        return kJavaUnreachable;
    }
    env->CallStaticVoidMethod(cls, main, args);
    // A main that threw has often brought its windows up already (an
    // optional step failed), and the application's own threads live on, as
    // they would under java -cp: ending the process would take every window
    // with it. The exception is reported, and the watcher serves later
    // starts as after a normal return.
    describeException(env);
    return 0;
}

int32_t callJavaMethod(const char* className, const char* methodName, int32_t count,
                       const char* const* texts) {
    return callIntMethod(className, methodName, count, texts);
}

int32_t callJavaMethodUtf16(const char* className, const char* methodName, int32_t count,
                            const char16_t* const* texts) {
    return callIntMethod(className, methodName, count, texts);
}

int32_t callToFront() {
    return callJavaMethod(mainClassName, "toFront", 0, nullptr);
}

int32_t callOpenFiles(const PendingList& list) {
    if (list.wide != nullptr) {
        return callJavaMethodUtf16(mainClassName, "openFiles", list.wide->count,
                                   entryTexts(*list.wide).data());
    }
    if (list.narrow != nullptr) {
        return callJavaMethod(mainClassName, "openFiles", list.narrow->count,
                              entryTexts(*list.narrow).data());
    }
    return 0;
}

std::string toModifiedUtf8(std::u16string_view text) {
    // Each UTF-16 unit on its own, surrogates included, and U+0000 as two
    // bytes: the form of the Java Native Interface, not standard UTF-8.
    std::string out;
    for (char16_t unit : text) {
        if (unit != 0 && unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

std::string toModifiedUtf8(std::string_view systemText) {
    return toModifiedUtf8(systemTextToUtf16(systemText));
}
