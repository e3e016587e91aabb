#pragma once

#include <string>

// Fake Java runtimes for the end-to-end tests: folders laid out like a
// runtime home whose jvm.dll is the project's stand-in runtime.

// Which stand-in: with every export, without JVM_FindClassFromBootLoader,
// without JNI_CreateJavaVM, or without JNI_GetDefaultJavaVMInitArgs.
enum class StandIn { full, noBootLoader, noCreate, noDefaultArgs };

// The stand-in's processor: this build's own, or the other one (found in the
// other architecture's build, when that was built).
enum class Machine { own, other };

// The VM folder under bin\ that holds jvm.dll.
enum class VmKind { client, server, classic, hotspot, jrockit };

// The built stand-in DLL; empty when it is not there (the other machine's
// build may be missing).
std::wstring standInJvmPath(StandIn variant = StandIn::full, Machine machine = Machine::own);

// The other architecture's bin folder (64-bit sibling launcher and stand-ins);
// empty when unknown.
std::wstring siblingBinFolder();

// Creates home\bin\<kind>\jvm.dll as a copy of the stand-in (folders made),
// and home\bin\java.dll (an empty file) when withJavaDll. False when the
// stand-in is missing or a copy fails.
bool makeRuntimeHome(const std::wstring& home, VmKind kind, StandIn variant = StandIn::full,
                     Machine machine = Machine::own, bool withJavaDll = false);

// home\bin\<kind>\jvm.dll
std::wstring jvmPathIn(const std::wstring& home, VmKind kind);

// Creates folders and all their parents; true when the folder exists after.
bool createFolderTree(const std::wstring& folder);

// Lays out the real test VM (realjvm.dll, built beside the test programs) as
// appFolder\jre\, the runtime beside the executable, and the real test
// application's jars (realapp.jar with its main classes, realhelper.jar with
// a class they use) in appFolder\lib. False when either was not built.
// binFolder: where the VM comes from (another architecture's build).
bool layOutRealJava(const std::wstring& appFolder, const std::wstring& binFolder = L"");

// The UTF-16 units of text as the real test application prints them: hex,
// each followed by a space.
std::string units(const std::wstring& text);

// The folder of the running test program, where the build puts the launcher,
// the stand-ins and the real test VM.
std::wstring testBinFolder();
