#pragma once

#include "instance/SingleInstance_win.h"
#include "jvm/JavaVm_jni.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Serves a later start in the first instance: enters the VM once main is
// about to run and hands the arguments to the main class's secondaryMain.
class JavaInstanceServer : public InstanceRequestServer {
public:
    explicit JavaInstanceServer(std::wstring mainClass) : mainClass_(std::move(mainClass)) {}

    // The VM is there: requests are served from now on. keepAttached: the
    // runtime ends the VM itself and its threads never leave it (IBM).
    void serveWith(std::shared_ptr<JavaVmOwner> vm, bool keepAttached);

    ServeOutcome serve(const std::vector<std::wstring>& arguments, const std::function<void(int)>& reply) override;

private:
    const std::wstring mainClass_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::shared_ptr<JavaVmOwner> vm_;
    bool keepAttached_ = false;
};
