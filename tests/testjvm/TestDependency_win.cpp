// A DLL that the stand-in variant testjvm_dep.dll imports, as a runtime's
// jvm.dll imports the C runtime its bin folder ships. Built twice: the real
// one exports testDependency; the impostor (TESTDEP_IMPOSTOR), a DLL of the
// same name that refuses to load (a missing export alone would not fail the
// load under Wine), stands where the search would find it first if the
// runtime's own folder did not come first.
#include <windows.h>

#ifndef TESTDEP_IMPOSTOR
extern "C" __declspec(dllexport) int testDependency() {
    return 42;
}
#else
extern "C" __declspec(dllexport) int testDependency() {
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    return reason != DLL_PROCESS_ATTACH;
}
#endif
