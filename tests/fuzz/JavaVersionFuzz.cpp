#include "jre/JavaVersion.h"

#include "FuzzText.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool allZero(const JavaVersion& v) {
    return v == JavaVersion();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int32_t fill = (data[0] & 1) ? JavaVersion::openPart : 0;
    const std::wstring text = fuzzText(data + 1, size - 1);

    JavaVersion v(7, 7, 7, 7);
    if (!v.parse(text, fill)) {
        if (!allZero(v)) __builtin_trap();
        return 0;
    }
    bool hasOpenPart = false;
    for (int32_t p : v.parts()) {
        if (p < 0) __builtin_trap();
        if (p == JavaVersion::openPart) hasOpenPart = true;
    }

    // Without open parts, what is printed reads back as the same version.
    JavaVersion again;
    if (!again.parse(v.format(), 0)) __builtin_trap();
    if (!hasOpenPart && again != v) __builtin_trap();

    if (JavaVersion::compare(v, v) != 0) __builtin_trap();
    if (JavaVersion::compare(v, again) != -JavaVersion::compare(again, v)) __builtin_trap();
    if (v.isUnset() && !(allZero(v) || v == maximumBound(L"any"))) __builtin_trap();
    if (minimumBound(text) != v && fill == 0 && text != L"any") __builtin_trap();
    return 0;
}
