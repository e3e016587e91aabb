#include "jvm/JavaMainThread_win.h"

#include "util/UniqueResource_win.h"

#include <windows.h>

namespace {

DWORD WINAPI javaMainThreadEntry(void* body) noexcept {
    return static_cast<DWORD>((*static_cast<const std::function<int()>*>(body))());
}

}  // namespace

int runOnJavaMainThread(std::uint32_t stackSize, const std::function<int()>& body) {
    // The system rounds the reservation up to its 64 KiB granularity, which
    // would wrap a size near 4 GiB to a small one; a 32-bit process cannot
    // reserve more than 2 GiB anyway (and Wine crashes on the attempt).
    constexpr std::uint32_t kLargestReservation = sizeof(void*) == 4 ? 0x80000000u : 0xFFFF0000u;
    if (stackSize > kLargestReservation) stackSize = kLargestReservation;
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
