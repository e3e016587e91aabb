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
// start with code; it is called at most once. The outcome says what the later
// start learns otherwise.
enum class ServeOutcome {
    answered,      // reply was called (or will be, by the call that runs)
    notServed,     // nothing can serve it now (no VM, or it has gone): the later start runs the application
    willNotServe,  // the application takes no later starts: the later start ends with this one
};
class InstanceRequestServer {
public:
    virtual ~InstanceRequestServer() = default;
    virtual ServeOutcome serve(const std::vector<std::wstring>& arguments,
                               const std::function<void(int)>& reply) = 0;
};

// How a later start ended.
struct LaterStartEnd {
    bool served = true;  // false: the start is to run the application itself
    int exitCode = 0;
    std::wstring reason;  // why it was not served
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
    // taken them. When the shared objects cannot be set up, or no first
    // instance can be reached through them (a block without header, a
    // listener that takes nothing, a block that no first instance of this
    // executable owns), the role is off, offReason() says why, and the start
    // is an ordinary one. False when the arguments cannot be forwarded at all
    // (more than 1 MiB of them).
    bool start(const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
               std::shared_ptr<InstanceRequestServer> server);

    Role role() const { return role_; }
    const std::wstring& offReason() const { return offReason_; }

    // A later start: waits for the first instance's answer, or for its end.
    // Not served (the first instance said so, or ended after taking the
    // arguments without answering): this start is to run the application;
    // the first instance has ended by then, or 30 s have passed.
    LaterStartEnd waitForFirstInstance();

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
    bool forward(const std::wstring& name, const std::wstring& executablePath,
                 const std::vector<std::wstring>& arguments);
    void releaseForwardLock();
    // No first instance can be reached: the role is off, for this reason.
    bool unreachable(const std::wstring& reason);
    // This later start was not served: it runs the application itself.
    bool notServed(const std::wstring& reason);

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
    bool taken_ = false;         // the first instance said it took the arguments
    bool willNotServe_ = false;  // ... and that it will not serve them
    bool notServed_ = false;
    std::wstring offReason_;
};
