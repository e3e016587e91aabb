#include "launcher/LauncherJavaHost_win.h"

#include "instance/SingleInstance_win.h"
#include "jvm/JavaVm_jni.h"
#include "jvm/StreamFiles_win.h"
#include "launcher/ErrorReport_win.h"
#include "launcher/ExceptionDialog_win.h"
#include "launcher/MessageText.h"
#include "resources/resource.h"
#include "splash/SplashScreen_win.h"
#include "util/Trace.h"

void LauncherJavaHost::reportVmCreationFailure(jint code) {
    const unsigned reason = jniReasonMessageId(code);
    showError(splash_.window(), formatText(loadText(IDS_JNI_ERROR),
                                           {loadText(IDS_CANNOT_CREATE_VM), reason ? loadText(reason) : L""}));
}

void LauncherJavaHost::reportMainClassFailure(MainClassFailure failure, const std::wstring& className) {
    switch (failure) {
    case MainClassFailure::nameNotConvertible:
        showFormattedError(splash_.window(), loadText(IDS_CANNOT_LOAD_MAIN_CLASS), className);
        break;
    case MainClassFailure::classNotFound:
        showFormattedError(splash_.window(), loadText(IDS_MAIN_CLASS_NOT_FOUND), className);
        break;
    case MainClassFailure::noMainMethod:
        showError(splash_.window(), loadText(IDS_NO_MAIN_METHOD));
        break;
    }
}

void LauncherJavaHost::prepareStreamTargets(StreamTargets& targets) {
    prepareStreamFiles(targets);
}

void LauncherJavaHost::mainStarting() {
    if (tracing()) trace(L"main: about to run");
    singleInstance_.signalMainStarting();
}

void LauncherJavaHost::closeSplash() {
    splash_.close();
}

bool LauncherJavaHost::showUncaughtException(const std::wstring& trace) {
    // A dialog that cannot be shown counts as "Stop".
    return showExceptionDialog(GetActiveWindow(), trace) != 1;
}

void LauncherJavaHost::parkForever() {
    Sleep(INFINITE);
}
