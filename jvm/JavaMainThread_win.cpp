#include "jvm/JavaMainThread_win.h"

#include "util/UniqueResource_win.h"

#include <windows.h>

namespace {

DWORD WINAPI javaMainThreadEntry(void* body) noexcept {
    return static_cast<DWORD>((*static_cast<const std::function<int()>*>(body))());
}

}  // namespace

int runOnJavaMainThread(std::uint32_t stackSize, const std::function<int()>& body) {
    // "-Xss" asks for a reservation: committing it all at once would waste
    // memory, and Windows rounds a small commit size up to the default.
    UniqueHandle thread(CreateThread(nullptr, stackSize, javaMainThreadEntry,
                                     const_cast<std::function<int()>*>(&body),
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return body();
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread.get(), &exitCode);
    return static_cast<int>(exitCode);
}
