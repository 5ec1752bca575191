// What the stand-in jvm.dll and the tests that drive it agree on.
//
// The stand-in plays a Java runtime's virtual machine library: it records
// every call it receives and answers from a small configuration.
//
// Log (file named by PELLIX_STANDIN_LOG; appended to, one line per event,
// written and closed at once so that a test can read it while the process
// runs). A text is written in double quotes, escaped as a C string literal
// would be: \\ and \" for backslash and quote, \xHH for every byte outside
// 0x20..0x7E; a missing text is the bare word null. Handles are c<n>
// (class), a<n> (array), s<n> (string), o<n> (a thrown object), numbered in
// creation order from 1 across all kinds; method ids are m<n>, the method's place in the
// configuration (default: m0 main, m1 toFront, m2 openFiles).
//
//   LOAD "<module file>"                 library attached to the process
//   UNLOAD                               library detached (process end)
//   DLLDIR "<dir>"                       GetDllDirectoryA, after LOAD, at
//                                        creation and after UNLOAD
//   JNI_GetDefaultJavaVMInitArgs         called (the launcher never should)
//   JNI_CreateJavaVM <version> <nOptions> <ignoreUnrecognized>
//   OPTION <i> "<optionString>"          one per option; EXTRAINFO <i> when
//                                        extraInfo is not null
//   PATH "<value>" | PATH null           the environment variable, at creation
//   PATH_ENTRIES <n>                     environment entries named path in
//                                        any case
//   CREATED <result>                     what JNI_CreateJavaVM returns
//   FindClass "<name>" -> c<n> | null
//   GetStaticMethodID c<n> "<name>" "<descriptor>" -> m<n> | null
//   NewObjectArray <length> c<n> <initial> -> a<n> | null
//   NewStringUTF "<bytes>" -> s<n>
//   SetObjectArrayElement a<n> <index> s<n>|null
//   CallStaticVoidMethod c<n> m<n> a<n>|null
//   CallStaticIntMethod c<n> m<n> a<n>|null
//                                        or CallStatic...MethodV: the C++
//                                        JNIEnv members go through those
//   INVOKE "<class>" "<method>" <length> "<element>"|null...
//                                        what the Java method received; the
//                                        length is null for a null array
//   RETURN <value>                       an int method's result
//   THROW "<exception class>" "<message>" an exception is now pending
//   ExceptionCheck -> 0|1
//   ExceptionDescribe "<exception class>" | ExceptionDescribe null
//                                        (clears it, as a real machine does)
//   ExceptionClear
//   ExceptionOccurred -> o<n> | null      the pending exception as an object
//   GetObjectClass o<n>|c<n> -> c<n>       its class; a class's is java/lang/Class
//   GetMethodID c<n> "<name>" "<descriptor>" -> getName | null
//                                        only Class.getName exists
//   CallObjectMethod c<n> getName -> s<n> the class's name, dotted
//   GetStringUTFChars s<n>, ReleaseStringUTFChars s<n>
//   PushLocalFrame <capacity> -> 0 depth=<frames>
//   PopLocalFrame a<n>|null -> <handle>|null depth=<frames> live=<local refs>
//   FAULT <function> "<what>"            a misuse: a call other than the
//                                        exception and frame functions with
//                                        an exception pending, wrong thread,
//                                        bad or stale handle, wrong call
//                                        type, not modified UTF-8...
//   TRAP <slot> <name>                   JNIEnv slot the launcher must not
//   TRAP_VM <slot> <name>                use (JavaVM likewise); the process
//                                        then ends with kStandInTrapExitCode
//   CONFIG_ERROR <line> "<text>"         a configuration line not understood
//   HOOK exit <n> | HOOK abort           the process is ended (configuration)
//   HOOK returned                        the hook let the runtime go on
//
// Configuration (file named by PELLIX_STANDIN_CONFIG, read at creation;
// none or no file: the defaults alone). Whitespace-separated words, # starts
// a comment. The defaults: the classes java/lang/String, javax/swing/JFrame
// and com/norvane/apps/websetup/TavoraLauncher; on the last, main
// "([Ljava/lang/String;)V", toFront and openFiles "([Ljava/lang/String;)I"
// returning 0. The file's lines change them:
//
//   class <name>                          the class exists
//   no_class <name>                       it does not, nor its methods
//   method <class> <name> <descriptor> [<result>]
//                                         a static method (its class then
//                                         exists); an int method returns
//                                         result (default 0)
//   no_method <class> <name> <descriptor>
//   throw <class> <name> <exception> [<times>]
//                                         the method leaves the exception
//                                         pending, on every call or on the
//                                         first times calls
//   create_result <n>                     JNI_CreateJavaVM returns n; a
//                                         negative n creates nothing
//   create_delay_ms <n>                   creation takes n ms
//   create_hang                           creation never returns
//   version_out <n>                       written to the arguments' version
//                                         by a successful creation
//   print <words>                         printed at creation, with a line
//                                         end, through the "vfprintf" hook
//                                         of the options, else to stderr
//   end_in_creation exit <n> | abort      then the creation ends the process
//                                         as a runtime does: the "exit" or
//                                         "abort" hook, and where it returns
//                                         (HOOK returned), ExitProcess with n
//                                         or 3
//   exit_in_main <n>                      main ends the process so, as
//                                         System.exit(n) does
//
// Numbers may be decimal or 0x-hexadecimal. A class or method that does not
// exist makes FindClass or GetStaticMethodID return null and leave
// java/lang/NoClassDefFoundError or java/lang/NoSuchMethodError pending.
//
// Stamps, for the benchmarks (file named by PELLIX_STANDIN_STAMPS; none
// when the variable is not set; appended to, one line per moment): when a
// call arrived, as a QueryPerformanceCounter value, which all processes
// under one wineserver (or one Windows) read from the same clock. The
// counter is read before anything is written, so the writing is not timed.
//
//   LOAD <counter> <private bytes>       library attached; the process's
//                                        private bytes then: PagefileUsage,
//                                        which Windows documents as equal to
//                                        PrivateUsage, and which Wine fills
//                                        (from the resident anonymous memory)
//                                        where it leaves PrivateUsage 0
//   CREATE <counter>                     JNI_CreateJavaVM entered
//   INVOKE <method> <length>|null <counter>
//                                        a Java method ran, as the log's
//                                        INVOKE line records it
//
// After each line the stand-in sets the event named kStandInStampEvent,
// when one exists, so that a benchmark can wait instead of polling.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

constexpr const char* kStandInLogVariable = "PELLIX_STANDIN_LOG";
constexpr const char* kStandInStampsVariable = "PELLIX_STANDIN_STAMPS";
constexpr const char* kStandInStampEvent = "PellixStandInStamp";
constexpr const char* kStandInConfigVariable = "PELLIX_STANDIN_CONFIG";

// Exit code of a process that called a trapped slot.
constexpr unsigned kStandInTrapExitCode = 0x4A4E49;

// A text as the log writes it.
inline std::string quoted(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c <= 0x7E) {
            out += static_cast<char>(c);
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out + "\"";
}
