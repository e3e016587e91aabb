#pragma once

#include "jvm/MainClass_jni.h"

class SingleInstance;
class SplashScreen;

// The launcher as the Java main thread sees it: reports go to error boxes
// owned by the splash window, the exception dialog, the single-instance
// signal that main is about to run.
class LauncherJavaHost : public JavaMainHost {
public:
    LauncherJavaHost(SplashScreen& splash, SingleInstance& singleInstance)
        : splash_(splash), singleInstance_(singleInstance) {}

    void reportVmCreationFailure(jint code) override;
    void reportMainClassFailure(MainClassFailure failure, const std::wstring& className) override;
    void prepareStreamTargets(StreamTargets& targets) override;
    void mainStarting() override;
    void closeSplash() override;
    bool showUncaughtException(const std::wstring& trace) override;
    void parkForever() override;

private:
    SplashScreen& splash_;
    SingleInstance& singleInstance_;
};
