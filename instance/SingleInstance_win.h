#pragma once

#include "util/UniqueResource_win.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What the first instance does with a later start's arguments, on a worker
// thread of its own once main is about to run. reply(code) ends the later
// start with code; it is called at most once, or not at all (then the later
// start ends when the first instance ends).
class InstanceRequestServer {
public:
    virtual ~InstanceRequestServer() = default;
    virtual void serve(const std::vector<std::wstring>& arguments, const std::function<void(int)>& reply) = 0;
};

// Single-instance mode: the first start of an executable runs the
// application; each later start of the same executable (same full path)
// hands its arguments to it and ends with the code the first one sends back.
class SingleInstance {
public:
    enum class Role { off, first, later };

    SingleInstance() = default;
    ~SingleInstance() { close(); }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the role of this start. A first instance serves later starts
    // through server from now on, at most eight at once; a later start
    // forwards its arguments and holds its turn until the first instance has
    // taken them. False when a later start cannot forward them (the first
    // instance does not take the request): the start then ends with -1. When the shared
    // objects cannot be set up, the role is off and the start is an ordinary
    // one.
    bool start(const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
               std::shared_ptr<InstanceRequestServer> server);

    Role role() const { return role_; }

    // A later start: waits for the first instance's answer, or for its end,
    // and returns the exit code of this start.
    int waitForFirstInstance();

    // The first instance's main is about to run: the requests held back until
    // now are served.
    void signalMainStarting();

    // Stops serving requests (the VM has gone) and releases the shared
    // objects. Requests still waiting are dropped; their later starts end
    // with this process's exit code.
    void close();

    struct Shared;

private:
    bool startFirst(const std::wstring& name, std::shared_ptr<InstanceRequestServer> server);
    bool makeRequestMapping(const std::wstring& name, const std::vector<std::wstring>& arguments);
    bool forward(const std::wstring& name, const std::vector<std::wstring>& arguments);
    void releaseForwardLock();
    // The first instance has ended: so does this later start, with its code.
    bool answerWithFirstInstanceEnd();

    Role role_ = Role::off;
    std::shared_ptr<Shared> shared_;
    UniqueHandle listener_;
    // A later start's side.
    UniqueHandle firstProcess_;
    UniqueHandle forwardLock_;
    bool forwardLockOwned_ = false;
    UniqueHandle requestMapping_;  // the whole list, until the first instance has taken it
    UINT message_ = 0;             // the registered message, for the answer
    UINT takenMessage_ = 0;        // the first instance has taken the arguments
    bool answered_ = false;
    int answer_ = 0;
};
