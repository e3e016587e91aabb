// Makes testjvm_dep.dll import testdep.dll: the loader must resolve it when
// the launcher loads this jvm.dll.
extern "C" __declspec(dllimport) int testDependency();

extern "C" __declspec(dllexport) int testJvmDependency() {
    return testDependency();
}
