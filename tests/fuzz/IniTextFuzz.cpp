#include "launcher/IniTextStore.h"

#include "FuzzText.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

size_t count(const std::wstring& text, const std::wstring& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    IniTextStore store;
    store.loadText(text);

    std::vector<std::wstring> names;
    store.readSectionNames(names);
    if (names.size() > count(text, L"\r\n") + 1) __builtin_trap();
    if (names.size() > count(text, L"[")) __builtin_trap();
    for (const std::wstring& name : names) {
        if (name.find(L"\r\n") != std::wstring::npos) __builtin_trap();
    }

    // Loading again starts afresh.
    store.loadText(text);
    std::vector<std::wstring> again;
    store.readSectionNames(again);
    if (again != names) __builtin_trap();

    // A value written to a new section is found, and a missing key leaves
    // the value alone.
    const std::wstring fresh = text + L"\r\n";
    store.writeString(fresh, L"k", text);
    std::wstring value = L"x";
    if (!store.find(fresh, L"k", value) || value != text) __builtin_trap();
    value = L"x";
    if (store.find(fresh, L"other", value) || value != L"x") __builtin_trap();
    store.readSectionNames(again);
    if (again.size() != names.size() + 1 || again.back() != fresh) __builtin_trap();

    return 0;
}
