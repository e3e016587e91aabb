#pragma once

#include <cstdint>
#include <functional>

// Runs body on a new thread whose stack reserves stackSize bytes (0: the
// executable's default) and waits for it; the result is body's. When no such
// thread can be made (no room for the stack), body runs on the calling
// thread instead.
int runOnJavaMainThread(std::uint32_t stackSize, const std::function<int()>& body);
