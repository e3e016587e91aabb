#pragma once

#include "jvm/AnsiOptions.h"
#include "jvm/JavaStartPlan.h"
#include "jvm/JavaVm_jni.h"
#include "jvm/MainClass_jni.h"

#include <string>
#include <vector>

// What the Java main thread does, with the options already in the form the
// VM takes them.
struct JavaMainPlan {
    std::vector<std::string> options;  // before the two hooks
    std::vector<LateProperty> lateProperties;  // set before anything else runs
    StreamTargets streams;
    MainClassPlan main;
    bool destroyAfterMain = false;
};

// How the Java main thread ends: its exit code.
enum JavaMainEnd : int {
    kJavaMainReturned = 0,  // main returned (or the user let its exception go) and the thread left the VM
    kJavaStartFailed = 1,   // no VM, no main class or main (reported through the host), or no detach
    kJavaMainThrew = 2,     // an exception escaped main, and the thread left the VM
};

// The work of the Java main thread: create the VM on this thread, redirect
// its streams, run the main class, and leave the VM on every path once it
// exists (a thread that ends attached would keep DestroyJavaVM waiting for
// ever). A service's VM is destroyed right here.
JavaMainEnd runJavaMain(JavaVmOwner& vm, JavaMainPlan plan, JavaMainHost& host);
