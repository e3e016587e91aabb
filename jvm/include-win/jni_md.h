/* Machine-dependent JNI types for Windows (x86 and x86-64), used with the
 * JDK's own jni.h when building on a machine whose JDK is not a Windows one. */
#ifndef LAUNCHER_JNI_MD_H
#define LAUNCHER_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
