// A stand-in for a Java runtime's jvm.dll: records what the launcher asks of
// it and answers from a small configuration. stand_in_jvm.h describes the
// log and the configuration.
#define _JNI_IMPLEMENTATION_
#include <windows.h>
#include <psapi.h>

#include <jni.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/unique_handle_win.h"
#include "jni_slot_names.h"
#include "stand_in_jvm.h"

namespace {

// ---- Log -------------------------------------------------------------------

std::string logPath;
std::string stampsPath;

// The header's quoted, for texts that may be missing.
using ::quoted;
std::string quoted(const char* text) {
    return text == nullptr ? "null" : quoted(std::string_view(text));
}

// Opened and closed per line: a test reads the file while the process runs,
// and may remove it between two runs.
void appendLine(const std::string& path, const std::string& line) {
    const UniqueHandle file = fileHandle(CreateFileA(
        path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void log(const std::string& line) {
    if (!logPath.empty()) {
        appendLine(logPath, line);
    }
}

long long counterNow() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// A benchmark's record of a moment taken earlier; the event wakes it.
void stamp(const std::string& what, long long counter, const std::string& after = "") {
    if (stampsPath.empty()) {
        return;
    }
    appendLine(stampsPath, what + " " + std::to_string(counter) + after);
    if (const UniqueHandle event(OpenEventA(EVENT_MODIFY_STATE, FALSE, kStandInStampEvent));
        event) {
        SetEvent(event.get());
    }
}

std::string environmentText(const char* name) {
    char buffer[32768];
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

void logDllDirectory() {
    char directory[32768] = "";
    const DWORD length = GetDllDirectoryA(sizeof directory, directory);
    log("DLLDIR " + quoted(std::string_view(directory, length < sizeof directory ? length : 0)));
}

void logSearchPath() {
    char value[32768];
    SetLastError(0);
    const DWORD length = GetEnvironmentVariableA("PATH", value, sizeof value);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        log("PATH null");
    } else {
        log("PATH " + quoted(std::string_view(value, length < sizeof value ? length : 0)));
    }
    int entries = 0;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
            if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry, 5, "path=", 5) ==
                CSTR_EQUAL) {
                ++entries;
            }
        }
        FreeEnvironmentStringsA(block);
    }
    log("PATH_ENTRIES " + std::to_string(entries));
}

// ---- Configuration ---------------------------------------------------------

constexpr const char* kMainClass = "com/norvane/apps/websetup/TavoraLauncher";

struct Method {
    std::string className;
    std::string name;
    std::string descriptor;
    jint result = 0;
    std::string exception; // left pending by each call, when not empty
    long throwsLeft = -1;  // -1: every call
};

struct Config {
    std::vector<std::string> classes;
    std::vector<Method> methods;
    jint createResult = JNI_OK;
    DWORD createDelay = 0;
    bool createHangs = false;
    std::optional<jint> versionOut;
    std::vector<std::string> prints;
    std::string endInCreation; // "exit" or "abort"
    jint endCode = 0;
    std::optional<jint> exitInMain;
};

Config config;

bool hasClass(const std::string& name) {
    for (const auto& c : config.classes) {
        if (c == name) {
            return true;
        }
    }
    return false;
}

Method* findMethod(const std::string& cls, const std::string& name, const std::string& desc) {
    for (auto& m : config.methods) {
        if (m.className == cls && m.name == name && m.descriptor == desc) {
            return &m;
        }
    }
    return nullptr;
}

void addClass(const std::string& name) {
    if (!hasClass(name)) {
        config.classes.push_back(name);
    }
}

void addMethod(const std::string& cls, const std::string& name, const std::string& desc,
               jint result) {
    addClass(cls);
    if (Method* m = findMethod(cls, name, desc)) {
        m->result = result;
        return;
    }
    Method m;
    m.className = cls;
    m.name = name;
    m.descriptor = desc;
    m.result = result;
    config.methods.push_back(m);
}

void setDefaults() {
    config = Config();
    addClass("java/lang/String");
    addClass("javax/swing/JFrame");
    addMethod(kMainClass, "main", "([Ljava/lang/String;)V", 0);
    addMethod(kMainClass, "toFront", "([Ljava/lang/String;)I", 0);
    addMethod(kMainClass, "openFiles", "([Ljava/lang/String;)I", 0);
}

bool readNumber(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0';
}

// Methods keep their places (and so their ids) when another is removed.
void removeMethods(const std::string& cls, const char* name, const char* desc) {
    for (auto& m : config.methods) {
        if (m.className == cls && (name == nullptr || (m.name == name && m.descriptor == desc))) {
            m.className.clear();
        }
    }
}

bool applyConfigLine(const std::vector<std::string>& w) {
    const std::string& key = w[0];
    long n = 0;
    if (key == "class" && w.size() == 2) {
        addClass(w[1]);
    } else if (key == "no_class" && w.size() == 2) {
        for (auto it = config.classes.begin(); it != config.classes.end(); ++it) {
            if (*it == w[1]) {
                config.classes.erase(it);
                break;
            }
        }
        removeMethods(w[1], nullptr, nullptr);
    } else if (key == "method" && (w.size() == 4 || w.size() == 5)) {
        if (w.size() == 5 && !readNumber(w[4], n)) {
            return false;
        }
        addMethod(w[1], w[2], w[3], static_cast<jint>(n));
    } else if (key == "no_method" && w.size() == 4) {
        removeMethods(w[1], w[2].c_str(), w[3].c_str());
    } else if (key == "throw" && (w.size() == 4 || w.size() == 5)) {
        Method* found = nullptr;
        for (auto& m : config.methods) {
            if (m.className == w[1] && m.name == w[2]) {
                found = &m;
            }
        }
        if (found == nullptr || (w.size() == 5 && !readNumber(w[4], n))) {
            return false;
        }
        found->exception = w[3];
        found->throwsLeft = w.size() == 5 ? n : -1;
    } else if (key == "create_result" && w.size() == 2 && readNumber(w[1], n)) {
        config.createResult = static_cast<jint>(n);
    } else if (key == "create_delay_ms" && w.size() == 2 && readNumber(w[1], n)) {
        config.createDelay = static_cast<DWORD>(n);
    } else if (key == "create_hang" && w.size() == 1) {
        config.createHangs = true;
    } else if (key == "version_out" && w.size() == 2 && readNumber(w[1], n)) {
        config.versionOut = static_cast<jint>(n);
    } else if (key == "print" && w.size() > 1) {
        std::string text = w[1];
        for (size_t i = 2; i < w.size(); ++i) {
            text += " " + w[i];
        }
        config.prints.push_back(text);
    } else if (key == "end_in_creation" && w.size() == 2 && w[1] == "abort") {
        config.endInCreation = w[1];
    } else if (key == "end_in_creation" && w.size() == 3 && w[1] == "exit" && readNumber(w[2], n)) {
        config.endInCreation = w[1];
        config.endCode = static_cast<jint>(n);
    } else if (key == "exit_in_main" && w.size() == 2 && readNumber(w[1], n)) {
        config.exitInMain = static_cast<jint>(n);
    } else {
        return false;
    }
    return true;
}

void readConfig() {
    setDefaults();
    const std::string path = environmentText(kStandInConfigVariable);
    if (path.empty()) {
        return;
    }
    std::ifstream file(path);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string text = line;
        if (auto hash = line.find('#'); hash != std::string::npos) {
            line.erase(hash);
        }
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) {
            w.push_back(word);
        }
        if (!w.empty() && !applyConfigLine(w)) {
            log("CONFIG_ERROR " + std::to_string(number) + " " + quoted(text));
        }
    }
}

// ---- The hooks that the options may give ----------------------------------

struct Hooks {
    jint(JNICALL* print)(FILE*, const char*, va_list) = nullptr;
    void(JNICALL* exit)(jint) = nullptr;
    void(JNICALL* abort)() = nullptr;
};
Hooks hooks;

void takeHooks(const JavaVMInitArgs& init) {
    for (jint i = 0; i < init.nOptions; ++i) {
        const std::string_view name = init.options[i].optionString;
        void* hook = init.options[i].extraInfo;
        if (name == "vfprintf") {
            hooks.print = reinterpret_cast<decltype(hooks.print)>(hook);
        } else if (name == "exit") {
            hooks.exit = reinterpret_cast<decltype(hooks.exit)>(hook);
        } else if (name == "abort") {
            hooks.abort = reinterpret_cast<decltype(hooks.abort)>(hook);
        }
    }
}

// As a runtime prints: through the hook where there is one.
void print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (hooks.print != nullptr) {
        hooks.print(stderr, format, args);
    } else {
        std::vfprintf(stderr, format, args);
    }
    va_end(args);
}

// As a runtime ends the process: the hook first; where it returns, the
// runtime's C runtime ends it (abort with 3).
[[noreturn]] void endAsRuntime(bool exit, jint code) {
    log(exit ? "HOOK exit " + std::to_string(code) : std::string("HOOK abort"));
    if (exit && hooks.exit != nullptr) {
        hooks.exit(code);
    } else if (!exit && hooks.abort != nullptr) {
        hooks.abort();
    }
    log("HOOK returned");
    ExitProcess(exit ? static_cast<UINT>(code) : 3);
}

// ---- Objects and local references ------------------------------------------

enum class Kind { Class, String, Array, Thrown };

struct Object {
    Kind kind;
    std::string text; // class name, string bytes, or an array's element class
    std::vector<std::optional<std::string>> elements;
    bool live = true;
};

// Handle n is objects[n - 1]. A deque grows block by block and never copies
// what it holds: a first instance's memory rises by the objects alone, not
// by a doubled array now and then.
std::deque<Object> objects;
std::vector<std::vector<size_t>> frames; // local references per frame; [0] outermost
DWORD vmThread = 0;
bool vmCreated = false;
std::string pendingException;

constexpr uintptr_t kObjectTag = 0x5A000000;
constexpr uintptr_t kMethodTag = 0x6D000000;

jobject newLocal(Kind kind, std::string text) {
    objects.push_back({kind, std::move(text), {}});
    frames.back().push_back(objects.size());
    return reinterpret_cast<jobject>(kObjectTag + (objects.size() << 4));
}

// The number of the object behind a handle, or 0.
size_t handleNumber(jobject handle) {
    const uintptr_t raw = reinterpret_cast<uintptr_t>(handle);
    const size_t n = (raw - kObjectTag) >> 4;
    if (raw < kObjectTag || (raw & 0xF) != 0 || n == 0 || n > objects.size()) {
        return 0;
    }
    return n;
}

std::string handleName(jobject handle) {
    if (handle == nullptr) {
        return "null";
    }
    const size_t n = handleNumber(handle);
    if (n == 0) {
        return "?";
    }
    const char prefix[] = {'c', 's', 'a', 'o'};
    return prefix[static_cast<int>(objects[n - 1].kind)] + std::to_string(n);
}

std::string methodName(jmethodID id) {
    const uintptr_t raw = reinterpret_cast<uintptr_t>(id);
    return id == nullptr ? "null" : "m" + std::to_string((raw - kMethodTag) >> 4);
}

size_t liveCount() {
    size_t count = 0;
    for (const auto& o : objects) {
        count += o.live ? 1 : 0;
    }
    return count;
}

void fault(const char* function, const std::string& what) {
    log(std::string("FAULT ") + function + " " + quoted(what));
}

// The object behind a handle of the expected kind, or null after a fault.
Object* resolve(const char* function, jobject handle, Kind kind) {
    const size_t n = handleNumber(handle);
    if (n == 0) {
        fault(function, handle == nullptr ? "null reference" : "not a reference");
        return nullptr;
    }
    Object& o = objects[n - 1];
    if (!o.live) {
        fault(function, "stale reference " + handleName(handle));
        return nullptr;
    }
    if (o.kind != kind) {
        fault(function, "wrong kind of reference " + handleName(handle));
        return nullptr;
    }
    return &o;
}

Method* resolveMethod(const char* function, jmethodID id) {
    const uintptr_t raw = reinterpret_cast<uintptr_t>(id);
    const size_t n = (raw - kMethodTag) >> 4;
    if (raw < kMethodTag || n >= config.methods.size() || config.methods[n].className.empty()) {
        fault(function, "not a method id");
        return nullptr;
    }
    return &config.methods[n];
}

void raise(const std::string& exception, const std::string& message) {
    pendingException = exception;
    log("THROW " + quoted(exception) + " " + quoted(message));
}

// Checks every function makes on entry; the exception functions and the
// frame functions may be called with an exception pending.
void enter(const char* function, bool exceptionSafe = false) {
    if (GetCurrentThreadId() != vmThread) {
        fault(function, "called on a thread that is not attached");
    }
    if (!exceptionSafe && !pendingException.empty()) {
        fault(function, "called with " + pendingException + " pending");
    }
}

// Whether text is modified UTF-8: no four-byte forms, no overlong forms
// except C0 80 for U+0000.
bool isModifiedUtf8(const unsigned char* text) {
    while (*text != 0) {
        const unsigned char lead = *text++;
        int follow = 0;
        unsigned value = 0;
        if (lead < 0x80) {
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            follow = 1;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            follow = 2;
            value = lead & 0x0F;
        } else {
            return false;
        }
        for (int i = 0; i < follow; ++i) {
            if ((text[i] & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (text[i] & 0x3F);
        }
        const bool nul = follow == 1 && value == 0;
        if ((follow == 1 && value < 0x80 && !nul) || (follow == 2 && value < 0x800)) {
            return false;
        }
        text += follow;
    }
    return true;
}

// ---- The functions the launcher may use ------------------------------------

jclass JNICALL findClass(JNIEnv*, const char* name) {
    enter("FindClass");
    const std::string text = name == nullptr ? "" : name;
    jclass found = nullptr;
    if (name != nullptr && hasClass(text)) {
        found = static_cast<jclass>(newLocal(Kind::Class, text));
    }
    log("FindClass " + quoted(name) + " -> " + handleName(found));
    if (found == nullptr) {
        raise("java/lang/NoClassDefFoundError", text);
    }
    return found;
}

jmethodID JNICALL getStaticMethodID(JNIEnv*, jclass cls, const char* name, const char* sig) {
    enter("GetStaticMethodID");
    const Object* c = resolve("GetStaticMethodID", cls, Kind::Class);
    jmethodID found = nullptr;
    if (c != nullptr && name != nullptr && sig != nullptr) {
        if (const Method* m = findMethod(c->text, name, sig)) {
            const uintptr_t n = static_cast<uintptr_t>(m - config.methods.data());
            found = reinterpret_cast<jmethodID>(kMethodTag + (n << 4));
        }
    }
    log("GetStaticMethodID " + handleName(cls) + " " + quoted(name) + " " + quoted(sig) + " -> " +
        methodName(found));
    if (found == nullptr) {
        raise("java/lang/NoSuchMethodError", name == nullptr ? "" : name);
    }
    return found;
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
    enter("NewObjectArray");
    const Object* c = resolve("NewObjectArray", elementClass, Kind::Class);
    jobjectArray array = nullptr;
    if (initial != nullptr) {
        fault("NewObjectArray", "initial element is not null");
    }
    if (length < 0) {
        raise("java/lang/NegativeArraySizeException", std::to_string(length));
    } else if (c != nullptr) {
        array = static_cast<jobjectArray>(newLocal(Kind::Array, c->text));
        objects.back().elements.resize(static_cast<size_t>(length));
    }
    log("NewObjectArray " + std::to_string(length) + " " + handleName(elementClass) + " " +
        handleName(initial) + " -> " + handleName(array));
    return array;
}

jstring JNICALL newStringUTF(JNIEnv*, const char* bytes) {
    enter("NewStringUTF");
    if (bytes == nullptr) {
        log("NewStringUTF null -> null");
        fault("NewStringUTF", "null text");
        return nullptr;
    }
    jstring s = static_cast<jstring>(newLocal(Kind::String, bytes));
    log("NewStringUTF " + quoted(bytes) + " -> " + handleName(s));
    if (!isModifiedUtf8(reinterpret_cast<const unsigned char*>(bytes))) {
        fault("NewStringUTF", "not modified UTF-8");
    }
    return s;
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
    enter("SetObjectArrayElement");
    log("SetObjectArrayElement " + handleName(array) + " " + std::to_string(index) + " " +
        handleName(value));
    Object* a = resolve("SetObjectArrayElement", array, Kind::Array);
    if (a == nullptr) {
        return;
    }
    std::optional<std::string> element;
    if (value != nullptr) {
        const Object* s = resolve("SetObjectArrayElement", value, Kind::String);
        if (s == nullptr) {
            return;
        }
        if (a->text != "java/lang/String") {
            raise("java/lang/ArrayStoreException", "java/lang/String");
            return;
        }
        element = s->text;
    }
    if (index < 0 || static_cast<size_t>(index) >= a->elements.size()) {
        raise("java/lang/ArrayIndexOutOfBoundsException", std::to_string(index));
        return;
    }
    a->elements[static_cast<size_t>(index)] = element;
}

// Runs a static method that takes one String[], as main, toFront and
// openFiles do. Returns the method's configured result.
jint invoke(const char* function, jclass cls, jmethodID id, va_list args, char returnType) {
    const long long arrived = counterNow();
    enter(function);
    jobject array = nullptr;
    Method* m = resolveMethod(function, id);
    if (m != nullptr && m->descriptor.rfind("([", 0) == 0) {
        array = va_arg(args, jobject);
    }
    log(std::string(function) + " " + handleName(cls) + " " + methodName(id) + " " +
        handleName(array));
    const Object* c = resolve(function, cls, Kind::Class);
    if (m == nullptr || c == nullptr) {
        return 0;
    }
    if (c->text != m->className) {
        fault(function, "method of another class");
    }
    if (m->descriptor.back() != returnType) {
        fault(function, "method returns " + m->descriptor.substr(m->descriptor.find(')') + 1));
    }
    std::string received = "INVOKE " + quoted(m->className) + " " + quoted(m->name);
    std::string length = "null";
    if (array == nullptr) {
        received += " null";
    } else if (const Object* a = resolve(function, array, Kind::Array)) {
        length = std::to_string(a->elements.size());
        received += " " + length;
        for (const auto& e : a->elements) {
            received += " " + (e ? quoted(*e) : std::string("null"));
        }
    }
    log(received);
    stamp("INVOKE " + m->name + " " + length, arrived);
    if (m->name == "main" && config.exitInMain) {
        endAsRuntime(true, *config.exitInMain); // System.exit in main
    }
    if (!m->exception.empty() && m->throwsLeft != 0) {
        if (m->throwsLeft > 0) {
            --m->throwsLeft;
        }
        raise(m->exception, m->name);
        return 0;
    }
    return m->result;
}

void JNICALL callStaticVoidMethod(JNIEnv*, jclass cls, jmethodID id, ...) {
    va_list args;
    va_start(args, id);
    invoke("CallStaticVoidMethod", cls, id, args, 'V');
    va_end(args);
}

// The C++ member functions of JNIEnv reach the variadic calls through
// these.
void JNICALL callStaticVoidMethodV(JNIEnv*, jclass cls, jmethodID id, va_list args) {
    invoke("CallStaticVoidMethodV", cls, id, args, 'V');
}

jint JNICALL callStaticIntMethod(JNIEnv*, jclass cls, jmethodID id, ...) {
    va_list args;
    va_start(args, id);
    const jint result = invoke("CallStaticIntMethod", cls, id, args, 'I');
    va_end(args);
    log("RETURN " + std::to_string(result));
    return result;
}

jint JNICALL callStaticIntMethodV(JNIEnv*, jclass cls, jmethodID id, va_list args) {
    const jint result = invoke("CallStaticIntMethodV", cls, id, args, 'I');
    log("RETURN " + std::to_string(result));
    return result;
}

jboolean JNICALL exceptionCheck(JNIEnv*) {
    enter("ExceptionCheck", true);
    const bool pending = !pendingException.empty();
    log(std::string("ExceptionCheck -> ") + (pending ? "1" : "0"));
    return pending ? JNI_TRUE : JNI_FALSE;
}

void JNICALL exceptionDescribe(JNIEnv*) {
    enter("ExceptionDescribe", true);
    log("ExceptionDescribe " +
        (pendingException.empty() ? std::string("null") : quoted(pendingException)));
    pendingException.clear();
}

void JNICALL exceptionClear(JNIEnv*) {
    enter("ExceptionClear", true);
    log("ExceptionClear");
    pendingException.clear();
}

// What the launcher's trace asks of a thrown object: its class's name.

// The one instance method there is, Class.getName; its id is no method of
// the configuration's.
const auto kGetNameId = reinterpret_cast<jmethodID>(kMethodTag - 0x10);

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
    enter("ExceptionOccurred", true);
    jthrowable thrown = pendingException.empty()
                            ? nullptr
                            : static_cast<jthrowable>(newLocal(Kind::Thrown, pendingException));
    log("ExceptionOccurred -> " + handleName(thrown));
    return thrown;
}

jclass JNICALL getObjectClass(JNIEnv*, jobject object) {
    enter("GetObjectClass");
    jclass cls = nullptr;
    if (const size_t n = handleNumber(object); n != 0 && objects[n - 1].live) {
        const Object& o = objects[n - 1];
        const std::string name = o.kind == Kind::Thrown   ? o.text
                                 : o.kind == Kind::Class  ? "java/lang/Class"
                                 : o.kind == Kind::String ? "java/lang/String"
                                                          : "[L" + o.text + ";";
        cls = static_cast<jclass>(newLocal(Kind::Class, name));
    } else {
        fault("GetObjectClass", "not a live reference");
    }
    log("GetObjectClass " + handleName(object) + " -> " + handleName(cls));
    return cls;
}

jmethodID JNICALL getMethodID(JNIEnv*, jclass cls, const char* name, const char* sig) {
    enter("GetMethodID");
    const Object* c = resolve("GetMethodID", cls, Kind::Class);
    const bool getName = c != nullptr && c->text == "java/lang/Class" && name != nullptr &&
                         sig != nullptr && std::strcmp(name, "getName") == 0 &&
                         std::strcmp(sig, "()Ljava/lang/String;") == 0;
    log("GetMethodID " + handleName(cls) + " " + quoted(name) + " " + quoted(sig) + " -> " +
        (getName ? "getName" : "null"));
    if (!getName) {
        raise("java/lang/NoSuchMethodError", name == nullptr ? "" : name);
        return nullptr;
    }
    return kGetNameId;
}

jobject JNICALL callObjectMethodV(JNIEnv*, jobject object, jmethodID id, va_list) {
    enter("CallObjectMethodV");
    const Object* c = resolve("CallObjectMethodV", object, Kind::Class);
    jobject result = nullptr;
    if (id != kGetNameId) {
        fault("CallObjectMethodV", "not Class.getName");
    } else if (c != nullptr) {
        std::string dotted = c->text;
        for (char& ch : dotted) {
            ch = ch == '/' ? '.' : ch;
        }
        result = newLocal(Kind::String, dotted);
    }
    log("CallObjectMethod " + handleName(object) + " getName -> " + handleName(result));
    return result;
}

const char* JNICALL getStringUTFChars(JNIEnv*, jstring text, jboolean* isCopy) {
    enter("GetStringUTFChars");
    log("GetStringUTFChars " + handleName(text));
    const Object* o = resolve("GetStringUTFChars", text, Kind::String);
    if (o == nullptr) {
        return nullptr;
    }
    if (isCopy != nullptr) {
        *isCopy = JNI_TRUE;
    }
    char* copy = static_cast<char*>(std::malloc(o->text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, o->text.c_str(), o->text.size() + 1);
    }
    return copy;
}

void JNICALL releaseStringUTFChars(JNIEnv*, jstring text, const char* chars) {
    enter("ReleaseStringUTFChars", true);
    log("ReleaseStringUTFChars " + handleName(text));
    std::free(const_cast<char*>(chars));
}

jint JNICALL pushLocalFrame(JNIEnv*, jint capacity) {
    enter("PushLocalFrame", true);
    frames.emplace_back();
    log("PushLocalFrame " + std::to_string(capacity) +
        " -> 0 depth=" + std::to_string(frames.size() - 1));
    return 0;
}

jobject JNICALL popLocalFrame(JNIEnv*, jobject result) {
    enter("PopLocalFrame", true);
    jobject kept = nullptr;
    if (frames.size() < 2) {
        fault("PopLocalFrame", "no frame pushed");
    } else {
        std::optional<Object> survivor;
        if (const size_t n = handleNumber(result); n != 0 && objects[n - 1].live) {
            survivor = objects[n - 1];
        }
        // A dead object keeps its slot, so that a stale handle is still told
        // from a foreign one, but not its contents: a first instance that
        // serves many hand-overs must not grow by what it has let go.
        for (size_t n : frames.back()) {
            Object& o = objects[n - 1];
            o.live = false;
            std::string().swap(o.text);
            std::vector<std::optional<std::string>>().swap(o.elements);
        }
        frames.pop_back();
        if (survivor) {
            kept = newLocal(survivor->kind, survivor->text);
            objects.back().elements = survivor->elements;
        }
    }
    log("PopLocalFrame " + handleName(result) + " -> " + handleName(kept) +
        " depth=" + std::to_string(frames.size() - 1) + " live=" + std::to_string(liveCount()));
    return kept;
}

// ---- Everything else traps -------------------------------------------------

constexpr size_t kEnvSlots = sizeof(JNINativeInterface_) / sizeof(void*);
constexpr size_t kVmSlots = sizeof(JNIInvokeInterface_) / sizeof(void*);
static_assert(sizeof kEnvSlotNames / sizeof *kEnvSlotNames == kEnvSlots, "JNIEnv slot names");
static_assert(sizeof kVmSlotNames / sizeof *kVmSlotNames == kVmSlots, "JavaVM slot names");

[[noreturn]] void trap(const char* table, size_t slot, const char* name) {
    log(std::string(table) + " " + std::to_string(slot) + " " + name);
    ExitProcess(kStandInTrapExitCode);
}

// Arguments, whatever they are, stay unread: on x64 the caller cleans up.
template <size_t Slot> struct EnvTrap {
    static void JNICALL call() { trap("TRAP", Slot, kEnvSlotNames[Slot]); }
};
template <size_t Slot> struct VmTrap {
    static void JNICALL call() { trap("TRAP_VM", Slot, kVmSlotNames[Slot]); }
};

template <typename Table, template <size_t> class Trap, size_t... Slots>
Table trappingTable(std::index_sequence<Slots...>) {
    void* const slots[] = {reinterpret_cast<void*>(&Trap<Slots>::call)...};
    static_assert(sizeof slots == sizeof(Table), "one trap per slot");
    Table table;
    std::memcpy(&table, slots, sizeof table);
    return table;
}

JNINativeInterface_ makeEnvTable() {
    auto table = trappingTable<JNINativeInterface_, EnvTrap>(std::make_index_sequence<kEnvSlots>());
    table.FindClass = findClass;
    table.GetStaticMethodID = getStaticMethodID;
    table.NewObjectArray = newObjectArray;
    table.NewStringUTF = newStringUTF;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.CallStaticVoidMethod = callStaticVoidMethod;
    table.CallStaticVoidMethodV = callStaticVoidMethodV;
    table.CallStaticIntMethod = callStaticIntMethod;
    table.CallStaticIntMethodV = callStaticIntMethodV;
    table.ExceptionCheck = exceptionCheck;
    table.ExceptionDescribe = exceptionDescribe;
    table.ExceptionClear = exceptionClear;
    table.PushLocalFrame = pushLocalFrame;
    table.ExceptionOccurred = exceptionOccurred;
    table.GetObjectClass = getObjectClass;
    table.GetMethodID = getMethodID;
    table.CallObjectMethodV = callObjectMethodV;
    table.GetStringUTFChars = getStringUTFChars;
    table.ReleaseStringUTFChars = releaseStringUTFChars;
    table.PopLocalFrame = popLocalFrame;
    return table;
}

const JNINativeInterface_ envTable = makeEnvTable();
const JNIInvokeInterface_ vmTable =
    trappingTable<JNIInvokeInterface_, VmTrap>(std::make_index_sequence<kVmSlots>());
JNIEnv_ envObject = {&envTable};
JavaVM_ vmObject = {&vmTable};

} // namespace

// ---- Exports ---------------------------------------------------------------

#ifndef STAND_IN_WITHOUT_DEFAULT_ARGS
jint JNICALL JNI_GetDefaultJavaVMInitArgs(void*) {
    log("JNI_GetDefaultJavaVMInitArgs");
    return JNI_OK;
}
#endif

jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* arguments) {
    stamp("CREATE", counterNow());
    auto* init = static_cast<JavaVMInitArgs*>(arguments);
    if (init == nullptr) {
        log("JNI_CreateJavaVM null");
        return JNI_EINVAL;
    }
    char version[16];
    std::snprintf(version, sizeof version, "0x%08lX", static_cast<unsigned long>(init->version));
    log(std::string("JNI_CreateJavaVM ") + version + " " + std::to_string(init->nOptions) + " " +
        std::to_string(init->ignoreUnrecognized));
    for (jint i = 0; i < init->nOptions && init->options != nullptr; ++i) {
        log("OPTION " + std::to_string(i) + " " + quoted(init->options[i].optionString));
        if (init->options[i].extraInfo != nullptr) {
            log("EXTRAINFO " + std::to_string(i));
        }
    }
    logSearchPath();
    logDllDirectory();

    jint result = JNI_EEXIST;
    if (!vmCreated) {
        readConfig();
        takeHooks(*init);
        for (const auto& text : config.prints) {
            print("%s\n", text.c_str());
        }
        if (!config.endInCreation.empty()) {
            endAsRuntime(config.endInCreation == "exit", config.endCode);
        }
        while (config.createHangs) {
            Sleep(INFINITE);
        }
        Sleep(config.createDelay);
        result = config.createResult;
    }
    if (result >= 0) {
        vmCreated = true;
        vmThread = GetCurrentThreadId();
        frames.assign(1, {});
        *vm = &vmObject;
        *env = &envObject;
        if (config.versionOut) {
            init->version = *config.versionOut;
        }
    }
    log("CREATED " + std::to_string(result));
    return result;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        const long long loaded = counterNow();
        stampsPath = environmentText(kStandInStampsVariable);
        if (!stampsPath.empty()) {
            PROCESS_MEMORY_COUNTERS_EX memory = {};
            memory.cb = sizeof memory;
            GetProcessMemoryInfo(GetCurrentProcess(),
                                 reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                 sizeof memory);
            stamp("LOAD", loaded, " " + std::to_string(memory.PagefileUsage));
        }
        logPath = environmentText(kStandInLogVariable);
        char file[MAX_PATH] = "";
        GetModuleFileNameA(module, file, sizeof file);
        log("LOAD " + quoted(file));
        logDllDirectory();
    } else if (reason == DLL_PROCESS_DETACH) {
        log("UNLOAD");
        logDllDirectory();
    }
    return TRUE;
}
