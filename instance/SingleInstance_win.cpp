#include "instance/SingleInstance_win.h"

#include "instance/InstanceBlock.h"
#include "util/FileSystem_win.h"
#include "util/Paths.h"

#include <atomic>
#include <cstring>
#include <deque>

// What the listener and the workers share with the first instance; the last
// of them to end releases it, so that no thread reads an unmapped block or
// waits on a closed event.
struct SingleInstance::Shared {
    std::wstring name;
    UniqueHandle mapping;
    UniqueWritableView view;
    UniqueHandle readyEvent;
    UINT message = 0;
    UINT takenMessage = 0;
    std::atomic<bool> closing{false};
    std::shared_ptr<InstanceRequestServer> server;

    // Requests taken, each with its arguments, waiting for a worker; at most
    // kMaxWorkers workers run at once.
    struct Request {
        DWORD requester;
        std::vector<std::wstring> arguments;
    };
    SRWLOCK lock = SRWLOCK_INIT;
    std::deque<Request> pending;
    int workers = 0;

    std::uint8_t* block() const { return static_cast<std::uint8_t*>(view.get()); }
};

namespace {

using Shared = SingleInstance::Shared;

// A header that a first instance is still writing reads as zeros, and its
// listener takes requests only once it has a queue: a later start that comes
// at the same moment tries for this long, in steps.
const DWORD kFirstInstanceSetUpMs = 5000;
const DWORD kRetryStepMs = 10;
// Later starts take turns only until their arguments are taken, which is at
// once: a turn held longer is held by a start of an earlier build (until its
// answer), or by another program.
const DWORD kTurnWaitMs = 10000;

// A flood of requests (any program can post them) must not make a thread
// each: requests beyond wait for a free worker.
const int kMaxWorkers = 8;

class SharedLock {
public:
    explicit SharedLock(Shared& shared) : lock_(shared.lock) { AcquireSRWLockExclusive(&lock_); }
    ~SharedLock() { ReleaseSRWLockExclusive(&lock_); }
    SharedLock(const SharedLock&) = delete;
    SharedLock& operator=(const SharedLock&) = delete;

private:
    SRWLOCK& lock_;
};

void postNotServed(const Shared& shared, DWORD requester) {
    PostThreadMessageW(requester, shared.message, static_cast<WPARAM>(static_cast<DWORD>(-1)),
                       static_cast<LPARAM>(kAnswerNotServed));
}

void serveRequest(Shared& shared, const Shared::Request& request) {
    bool replied = false;
    const DWORD requester = request.requester;
    const UINT message = shared.message;
    const ServeOutcome outcome = shared.server->serve(request.arguments, [&replied, requester, message](int code) {
        if (replied) return;
        replied = true;
        PostThreadMessageW(requester, message, static_cast<WPARAM>(static_cast<DWORD>(code)), 0);
    });
    if (outcome == ServeOutcome::notServed && !replied) postNotServed(shared, requester);
    if (outcome == ServeOutcome::willNotServe && shared.takenMessage != 0)
        PostThreadMessageW(requester, shared.takenMessage, kTakenWillNotServe, 0);
}

DWORD WINAPI work(void* parameter) {
    std::unique_ptr<std::shared_ptr<Shared>> owner(static_cast<std::shared_ptr<Shared>*>(parameter));
    Shared& shared = **owner;
    // Held back until main is about to run (or until the first instance stops
    // serving).
    if (shared.readyEvent) WaitForSingleObject(shared.readyEvent.get(), INFINITE);
    for (;;) {
        Shared::Request request;
        {
            SharedLock lock(shared);
            if (shared.pending.empty()) {
                --shared.workers;
                return 0;
            }
            request = std::move(shared.pending.front());
            shared.pending.pop_front();
        }
        if (shared.closing)
            postNotServed(shared, request.requester);  // the VM has gone
        else
            serveRequest(shared, request);
    }
}

void enqueue(const std::shared_ptr<Shared>& shared, Shared::Request request) {
    bool startWorker = false;
    {
        SharedLock lock(*shared);
        shared->pending.push_back(std::move(request));
        if (shared->workers < kMaxWorkers) {
            ++shared->workers;
            startWorker = true;
        }
    }
    if (!startWorker) return;
    auto* parameter = new std::shared_ptr<Shared>(shared);
    HANDLE worker = CreateThread(nullptr, 0, work, parameter, 0, nullptr);
    if (worker != nullptr) {
        CloseHandle(worker);
        return;
    }
    delete parameter;
    SharedLock lock(*shared);
    --shared->workers;
}

// The whole list from the requester's own mapping; false when it is not
// there (the requester has gone, or never made one).
bool takeFromRequestMapping(const Shared& shared, DWORD requester, std::vector<std::wstring>& arguments) {
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, requestMappingNameOf(shared.name, requester).c_str()));
    if (!mapping) return false;
    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    MEMORY_BASIC_INFORMATION region = {};
    if (!view || VirtualQuery(view.get(), &region, sizeof region) == 0 || region.RegionSize < kRequestMappingHeader)
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(view.get());
    std::size_t size = readBlockWord(bytes, 0);
    if (size > region.RegionSize - kRequestMappingHeader) size = region.RegionSize - kRequestMappingHeader;
    if (size > kRequestBytesLimit) size = kRequestBytesLimit;
    arguments = decodeInstanceArguments(bytes + kRequestMappingHeader, size);
    return true;
}

DWORD WINAPI listen(void* parameter) {
    std::unique_ptr<std::shared_ptr<Shared>> owner(static_cast<std::shared_ptr<Shared>*>(parameter));
    const std::shared_ptr<Shared> shared = *owner;
    MSG message;
    // The first call makes the queue: until then, posts to this thread fail.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != shared->message) continue;
        // The arguments are taken as the request arrives, while the later
        // start still holds its turn, then the later start gives it back.
        Shared::Request request{static_cast<DWORD>(message.wParam), {}};
        std::uint8_t* area = shared->block() + kArgumentAreaOffset;
        if (static_cast<std::uintptr_t>(message.lParam) == kArgumentsInRequestMapping) {
            if (!takeFromRequestMapping(*shared, request.requester, request.arguments)) continue;
        } else {
            request.arguments = decodeInstanceArguments(area);  // a later start of an earlier build
        }
        // The area is read once: a forged request can never deliver a real
        // list a second time. Its writer still holds the turn, so nobody
        // else writes it meanwhile.
        std::memset(area, 0, kArgumentAreaSize);
        if (shared->takenMessage != 0) PostThreadMessageW(request.requester, shared->takenMessage, 0, 0);
        enqueue(shared, std::move(request));
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
    shared->name = name;
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
    return forward(name, executablePath, arguments);
}

bool SingleInstance::startFirst(const std::wstring& name, std::shared_ptr<InstanceRequestServer> server) {
    Shared& shared = *shared_;
    shared.server = std::move(server);
    // Without the event requests are served at once.
    shared.readyEvent.reset(CreateEventW(nullptr, TRUE, FALSE, readyEventNameOf(name).c_str()));
    shared.message = RegisterWindowMessageW(name.c_str());
    shared.takenMessage = RegisterWindowMessageW(takenMessageNameOf(name).c_str());
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

bool SingleInstance::makeRequestMapping(const std::wstring& name, const std::vector<std::wstring>& arguments) {
    const std::vector<std::uint8_t> all = encodeAllInstanceArguments(arguments);
    if (all.empty()) return false;
    const DWORD size = static_cast<DWORD>(kRequestMappingHeader + all.size());
    requestMapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                             requestMappingNameOf(name, GetCurrentThreadId()).c_str()));
    if (!requestMapping_) return false;
    UniqueWritableView view(MapViewOfFile(requestMapping_.get(), FILE_MAP_WRITE, 0, 0, size));
    if (!view) {
        requestMapping_.reset();
        return false;
    }
    auto* bytes = static_cast<std::uint8_t*>(view.get());
    writeBlockWord(bytes, 0, static_cast<std::uint32_t>(all.size()));
    std::memcpy(bytes + kRequestMappingHeader, all.data(), all.size());
    return true;
}

bool SingleInstance::unreachable(const std::wstring& reason) {
    role_ = Role::off;
    offReason_ = reason;
    releaseForwardLock();
    requestMapping_.reset();
    firstProcess_.reset();
    shared_.reset();
    return true;
}

bool SingleInstance::forward(const std::wstring& name, const std::wstring& executablePath,
                             const std::vector<std::wstring>& arguments) {
    // The whole list in a mapping of this start's own; the area holds it too
    // when it fits, for a first instance of an earlier build.
    const bool inMapping = makeRequestMapping(name, arguments);
    const std::vector<std::uint8_t> encoded = encodeInstanceArguments(arguments);
    if (!inMapping && encoded.empty()) return false;
    takenMessage_ = RegisterWindowMessageW(takenMessageNameOf(name).c_str());
    std::uint8_t* block = shared_->block();
    DWORD listener = 0;
    DWORD process = 0;
    UINT message = 0;
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        listener = readBlockWord(block, kListenerThreadOffset);
        process = readBlockWord(block, kFirstProcessOffset);
        message = readBlockWord(block, kMessageIdOffset);
        if (listener != 0 && process != 0 && message != 0) break;
        if (waited >= kFirstInstanceSetUpMs) return unreachable(L"the shared block holds no first instance");
        Sleep(kRetryStepMs);
    }
    // Another program may have made the block, or left it garbled.
    firstProcess_.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!firstProcess_)
        return unreachable(L"the shared block names process " + std::to_wstring(process) + L", which is not running");
    wchar_t image[MAX_PATH * 4] = {};
    DWORD imageLength = MAX_PATH * 4;
    const auto firstImage = QueryFullProcessImageNameW(firstProcess_.get(), 0, image, &imageLength)
                                ? fileIdentityOf(image, false)
                                : std::nullopt;
    const auto ownImage = fileIdentityOf(executablePath, false);
    if (!firstImage || !ownImage || !(*firstImage == *ownImage))
        return unreachable(L"the shared block belongs to process " + std::to_wstring(process) +
                           L", which is not a start of this executable");

    // One later start at a time writes the area, until the first instance
    // has taken its arguments. A start that died holding the mutex leaves it
    // abandoned: it is taken over. A first instance that ends meanwhile
    // serves nobody.
    forwardLock_.reset(CreateMutexW(nullptr, FALSE, forwardLockNameOf(name).c_str()));
    if (forwardLock_) {
        const HANDLE handles[2] = {forwardLock_.get(), firstProcess_.get()};
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, kTurnWaitMs);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) forwardLockOwned_ = true;
        if (result == WAIT_OBJECT_0 + 1) return notServed(L"the first instance ended before it took the arguments");
    }

    // Without the turn (another program holds it for good) the area is left
    // alone: the request's own mapping carries the list.
    if (forwardLockOwned_ || !forwardLock_) {
        std::uint8_t* area = block + kArgumentAreaOffset;
        std::memset(area, 0, kForwardedBytesLimit);
        if (!encoded.empty()) std::memcpy(area, encoded.data(), encoded.size());
    } else if (!inMapping) {
        return unreachable(L"another program holds the later starts' turn");
    }
    message_ = message;
    const LPARAM where = inMapping ? static_cast<LPARAM>(kArgumentsInRequestMapping) : 0;
    DWORD error = ERROR_SUCCESS;
    for (DWORD waited = 0;; waited += kRetryStepMs) {
        if (PostThreadMessageW(listener, message, GetCurrentThreadId(), where)) return true;
        error = GetLastError();
        if (WaitForSingleObject(firstProcess_.get(), 0) == WAIT_OBJECT_0)
            return notServed(L"the first instance ended before it took the arguments");
        if (error != ERROR_INVALID_THREAD_ID || waited >= kFirstInstanceSetUpMs) break;
        Sleep(kRetryStepMs);
    }
    return unreachable(L"the first instance's listener takes no request (error " + std::to_wstring(error) + L")");
}

bool SingleInstance::notServed(const std::wstring& reason) {
    answered_ = true;
    notServed_ = true;
    offReason_ = reason;
    return true;
}

LaterStartEnd SingleInstance::waitForFirstInstance() {
    const HANDLE process = firstProcess_.get();
    MSG received;
    while (!answered_ && process != nullptr) {
        while (!answered_ && PeekMessageW(&received, nullptr, 0, 0, PM_REMOVE)) {
            if (received.message == takenMessage_ && takenMessage_ != 0) {
                // The first instance holds the arguments: the next later start may come.
                taken_ = true;
                if (received.wParam == kTakenWillNotServe) willNotServe_ = true;
                releaseForwardLock();
                requestMapping_.reset();
                continue;
            }
            if (received.message != message_) continue;  // other messages are dropped
            if (static_cast<std::uintptr_t>(received.lParam) == kAnswerNotServed) {
                notServed(L"the first instance could not serve it (its VM has gone, or never ran)");
            } else {
                answered_ = true;
                answer_ = static_cast<int>(static_cast<DWORD>(received.wParam));
            }
        }
        if (answered_) break;
        const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
        if (woke == WAIT_OBJECT_0) {
            // An answer posted right before the end still counts.
            if (PeekMessageW(&received, nullptr, message_, message_, PM_REMOVE) &&
                static_cast<std::uintptr_t>(received.lParam) != kAnswerNotServed) {
                answered_ = true;
                answer_ = static_cast<int>(static_cast<DWORD>(received.wParam));
            } else if (taken_ && !willNotServe_) {
                notServed(L"the first instance ended before it answered");
            } else {
                // It takes no later starts (or is of an earlier build): this
                // start ends with it.
                answered_ = true;
                answer_ = exitCodeOf(process);
            }
        } else if (woke == WAIT_FAILED) {
            Sleep(100);
        }
    }
    LaterStartEnd end;
    end.served = !notServed_;
    end.exitCode = notServed_ ? -1 : answer_;
    end.reason = offReason_;
    // The start runs the application next: as the first instance, once the
    // one that is ending has gone.
    if (notServed_ && process != nullptr) WaitForSingleObject(process, 30000);
    close();
    return end;
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
    requestMapping_.reset();
    firstProcess_.reset();
    shared_.reset();
}

void SingleInstance::releaseForwardLock() {
    if (forwardLockOwned_) ReleaseMutex(forwardLock_.get());
    forwardLockOwned_ = false;
    forwardLock_.reset();
}
