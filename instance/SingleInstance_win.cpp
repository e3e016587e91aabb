#include "instance/SingleInstance_win.h"

#include "instance/InstanceBlock.h"

#include <atomic>
#include <cstring>

// What the listener and the workers share with the first instance; the last
// of them to end releases it, so that no thread reads an unmapped block or
// waits on a closed event.
struct SingleInstance::Shared {
    UniqueHandle mapping;
    UniqueWritableView view;
    UniqueHandle readyEvent;
    UINT message = 0;
    std::atomic<bool> closing{false};
    std::shared_ptr<InstanceRequestServer> server;

    std::uint8_t* block() const { return static_cast<std::uint8_t*>(view.get()); }
};

namespace {

using Shared = SingleInstance::Shared;

// A header that a first instance is still writing reads as zeros, and its
// listener takes requests only once it has a queue: a later start that comes
// at the same moment tries for this long, in steps.
const DWORD kFirstInstanceSetUpMs = 5000;
const DWORD kRetryStepMs = 10;

struct Request {
    std::shared_ptr<Shared> shared;
    DWORD requester;
};

DWORD WINAPI serveRequest(void* parameter) {
    std::unique_ptr<Request> request(static_cast<Request*>(parameter));
    Shared& shared = *request->shared;
    // Held back until main is about to run (or until the first instance stops
    // serving).
    if (shared.readyEvent) WaitForSingleObject(shared.readyEvent.get(), INFINITE);
    if (shared.closing) return 0;
    const std::vector<std::wstring> arguments = decodeInstanceArguments(shared.block() + kArgumentAreaOffset);
    bool replied = false;
    const DWORD requester = request->requester;
    const UINT message = shared.message;
    shared.server->serve(arguments, [&replied, requester, message](int code) {
        if (replied) return;
        replied = true;
        PostThreadMessageW(requester, message, static_cast<WPARAM>(static_cast<DWORD>(code)), 0);
    });
    return 0;
}

DWORD WINAPI listen(void* parameter) {
    std::unique_ptr<std::shared_ptr<Shared>> owner(static_cast<std::shared_ptr<Shared>*>(parameter));
    const std::shared_ptr<Shared> shared = *owner;
    MSG message;
    // The first call makes the queue: until then, posts to this thread fail.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != shared->message) continue;
        auto* request = new Request{shared, static_cast<DWORD>(message.wParam)};
        // One worker per request; nobody waits for it.
        HANDLE worker = CreateThread(nullptr, 0, serveRequest, request, 0, nullptr);
        if (worker != nullptr)
            CloseHandle(worker);
        else
            delete request;
    }
    return 0;
}

int exitCodeOf(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) return -1;
    return static_cast<int>(code);
}

}  // namespace

bool SingleInstance::start(const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
                           std::shared_ptr<InstanceRequestServer> server) {
    role_ = Role::off;
    const std::wstring name = instanceNameOf(executablePath);
    auto shared = std::make_shared<Shared>();
    shared->mapping.reset(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kInstanceBlockSize, name.c_str()));
    // Without the block every start runs the application.
    if (!shared->mapping) return true;
    const bool first = GetLastError() != ERROR_ALREADY_EXISTS;
    shared->view.reset(MapViewOfFile(shared->mapping.get(), FILE_MAP_WRITE, 0, 0, kInstanceBlockSize));
    if (!shared->view) return true;
    shared_ = shared;
    if (first) return startFirst(name, std::move(server));

    role_ = Role::later;
    const std::vector<std::uint8_t> encoded = encodeInstanceArguments(arguments);
    if (encoded.empty()) return false;
    return forward(name, encoded);
}

bool SingleInstance::startFirst(const std::wstring& name, std::shared_ptr<InstanceRequestServer> server) {
    Shared& shared = *shared_;
    shared.server = std::move(server);
    // Without the event requests are served at once.
    shared.readyEvent.reset(CreateEventW(nullptr, TRUE, FALSE, readyEventNameOf(name).c_str()));
    shared.message = RegisterWindowMessageW(name.c_str());
    // The block stays: later starts find it and fail, as they would with a
    // first instance that cannot serve them.
    if (shared.message == 0) return true;
    std::uint8_t* block = shared.block();
    writeBlockWord(block, kMessageIdOffset, shared.message);
    writeBlockWord(block, kFirstProcessOffset, GetCurrentProcessId());
    auto* parameter = new std::shared_ptr<Shared>(shared_);
    // The thread's id goes straight into the block: the last header field.
    listener_.reset(CreateThread(nullptr, 0, listen, parameter, 0,
                                 reinterpret_cast<DWORD*>(block + kListenerThreadOffset)));
    if (!listener_) {
        delete parameter;
        return true;
    }
    role_ = Role::first;
    return true;
}

bool SingleInstance::forward(const std::wstring& name, const std::vector<std::uint8_t>& encoded) {
    std::uint8_t* block = shared_->block();
    DWORD listener = 0;
    DWORD process = 0;
    UINT message = 0;
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        listener = readBlockWord(block, kListenerThreadOffset);
        process = readBlockWord(block, kFirstProcessOffset);
        message = readBlockWord(block, kMessageIdOffset);
        if (listener != 0 && process != 0 && message != 0) break;
        if (waited >= kFirstInstanceSetUpMs) return false;
        Sleep(kRetryStepMs);
    }
    firstProcess_.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));

    // One later start at a time writes the area and waits for its answer. A
    // start that died holding the mutex leaves it abandoned: it is taken over.
    // A first instance that ends meanwhile ends this start too.
    forwardLock_.reset(CreateMutexW(nullptr, FALSE, forwardLockNameOf(name).c_str()));
    if (forwardLock_) {
        const HANDLE handles[2] = {forwardLock_.get(), firstProcess_.get()};
        const DWORD result = WaitForMultipleObjects(firstProcess_ ? 2 : 1, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) forwardLockOwned_ = true;
        if (result == WAIT_OBJECT_0 + 1) return answerWithFirstInstanceEnd();
    }

    std::uint8_t* area = block + kArgumentAreaOffset;
    std::memset(area, 0, kForwardedBytesLimit);
    std::memcpy(area, encoded.data(), encoded.size());
    message_ = message;
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        if (PostThreadMessageW(listener, message, GetCurrentThreadId(), 0)) return true;
        const DWORD error = GetLastError();
        if (firstProcess_ && WaitForSingleObject(firstProcess_.get(), 0) == WAIT_OBJECT_0)
            return answerWithFirstInstanceEnd();
        if (error != ERROR_INVALID_THREAD_ID || waited >= kFirstInstanceSetUpMs) break;
        Sleep(kRetryStepMs);
    }
    releaseForwardLock();
    return false;
}

bool SingleInstance::answerWithFirstInstanceEnd() {
    answered_ = true;
    answer_ = exitCodeOf(firstProcess_.get());
    return true;
}

int SingleInstance::waitForFirstInstance() {
    if (!answered_ && !firstProcess_) answered_ = true;  // nothing to wait for: 0
    const HANDLE process = firstProcess_.get();
    MSG received;
    while (!answered_) {
        while (!answered_ && PeekMessageW(&received, nullptr, 0, 0, PM_REMOVE)) {
            if (received.message != message_) continue;  // other messages are dropped
            answered_ = true;
            answer_ = static_cast<int>(static_cast<DWORD>(received.wParam));
        }
        if (answered_) break;
        const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
        if (woke == WAIT_OBJECT_0) {
            // An answer posted right before the end still counts.
            if (PeekMessageW(&received, nullptr, message_, message_, PM_REMOVE)) {
                answered_ = true;
                answer_ = static_cast<int>(static_cast<DWORD>(received.wParam));
            } else {
                answerWithFirstInstanceEnd();
            }
        } else if (woke == WAIT_FAILED) {
            Sleep(100);
        }
    }
    const int result = answer_;
    close();
    return result;
}

void SingleInstance::signalMainStarting() {
    if (shared_ && shared_->readyEvent) SetEvent(shared_->readyEvent.get());
}

void SingleInstance::close() {
    if (role_ == Role::first) {
        // Workers still held back are let go and end without serving.
        shared_->closing = true;
        if (shared_->readyEvent) SetEvent(shared_->readyEvent.get());
        const DWORD listenerId = GetThreadId(listener_.get());
        do {
            PostThreadMessageW(listenerId, WM_QUIT, 0, 0);
        } while (WaitForSingleObject(listener_.get(), kRetryStepMs) == WAIT_TIMEOUT);
    }
    role_ = Role::off;
    listener_.reset();
    releaseForwardLock();
    firstProcess_.reset();
    shared_.reset();
}

void SingleInstance::releaseForwardLock() {
    if (forwardLockOwned_) ReleaseMutex(forwardLock_.get());
    forwardLockOwned_ = false;
    forwardLock_.reset();
}
