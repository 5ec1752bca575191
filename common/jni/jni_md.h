// Machine-dependent JNI types for 64-bit Windows (LLP64: long is 32 bits),
// for use with the JDK's own jni.h.
#ifndef PELLIX_JNI_MD_H
#define PELLIX_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
