#include "jvm/JavaMain_jni.h"

#include "jvm/StreamRedirection_jni.h"
#include "jvm/SystemProperties_jni.h"
#include "util/Trace.h"

JavaMainEnd runJavaMain(JavaVmOwner& vm, JavaMainPlan plan, JavaMainHost& host) {
    const jint created = vm.create(plan.options);
    if (tracing()) trace(L"vm: JNI_CreateJavaVM gave " + std::to_wstring(created));
    if (created != JNI_OK) {
        host.reportVmCreationFailure(created);
        return kJavaStartFailed;
    }
    JNIEnv* env = vm.mainEnv();
    // A property the code page cannot hold; without it the application
    // would run on a setting it was not given.
    if (!setLateProperties(env, plan.lateProperties)) {
        host.reportVmCreationFailure(JNI_ERR);
        vm.detachMainThread();
        return kJavaStartFailed;
    }
    host.prepareStreamTargets(plan.streams);
    applyStreamRedirection(env, plan.streams);

    const MainOutcome outcome = runMainClass(env, plan.main, vm.findClassFromBootLoader(), host);
    const bool ran = outcome != MainOutcome::notRun;
    if (tracing())
        trace(outcome == MainOutcome::returned ? L"main: returned"
                                               : ran ? L"main: left an exception" : L"main: could not run");
    // The picture goes as soon as main is done, on every runtime.
    host.closeSplash();
    // IBM's runtimes end the VM themselves once the application is done.
    if (ran && plan.main.keepThreadAlive) host.parkForever();

    const bool detached = vm.detachMainThread() == JNI_OK;
    if (!ran || !detached) return kJavaStartFailed;
    if (plan.destroyAfterMain) vm.destroy();
    return outcome == MainOutcome::threw ? kJavaMainThrew : kJavaMainReturned;
}
