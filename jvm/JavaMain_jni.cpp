#include "jvm/JavaMain_jni.h"

#include "jvm/StreamRedirection_jni.h"
#include "util/Trace.h"

int runJavaMain(JavaVmOwner& vm, JavaMainPlan plan, JavaMainHost& host) {
    const jint created = vm.create(plan.options);
    if (tracing()) trace(L"vm: JNI_CreateJavaVM gave " + std::to_wstring(created));
    if (created != JNI_OK) {
        host.reportVmCreationFailure(created);
        return 1;
    }
    JNIEnv* env = vm.mainEnv();
    host.prepareStreamTargets(plan.streams);
    applyStreamRedirection(env, plan.streams);

    const bool ran = runMainClass(env, plan.main, vm.findClassFromBootLoader(), host);
    if (tracing()) trace(ran ? L"main: returned" : L"main: could not run");
    // IBM's runtimes end the VM themselves once the application is done.
    if (ran && plan.main.keepThreadAlive) host.parkForever();

    const bool detached = vm.detachMainThread() == JNI_OK;
    if (!ran || !detached) return 1;
    if (plan.destroyAfterMain) vm.destroy();
    return 0;
}
