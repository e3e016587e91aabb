#pragma once

#include "jvm/JavaStartPlan.h"
#include "jvm/JavaVm_jni.h"
#include "jvm/MainClass_jni.h"

#include <string>
#include <vector>

// What the Java main thread does, with the options already in the form the
// VM takes them.
struct JavaMainPlan {
    std::vector<std::string> options;  // before the two hooks
    StreamTargets streams;
    MainClassPlan main;
    bool destroyAfterMain = false;
};

// The work of the Java main thread: create the VM on this thread, redirect
// its streams, run the main class, and leave the VM on every path once it
// exists (a thread that ends attached would keep DestroyJavaVM waiting for
// ever). 0 when main ran and the thread left the VM; 1 when the VM could not
// be created, the main class could not run (both reported through the host),
// or the thread could not detach. A service's VM is destroyed right here.
int runJavaMain(JavaVmOwner& vm, JavaMainPlan plan, JavaMainHost& host);
