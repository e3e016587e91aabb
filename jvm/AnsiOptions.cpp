#include "jvm/AnsiOptions.h"

#include "util/Trace.h"

namespace {

// The path list of one option: its start, or npos when it has none.
size_t valueStart(const std::wstring& option) {
    const size_t separator = option.find(option.compare(0, 2, L"-D") == 0 ? L'=' : L':');
    return separator == std::wstring::npos ? separator : separator + 1;
}

}  // namespace

bool fitOptionsToCodePage(std::vector<std::wstring>& options, const CodePageProbes& probes,
                          std::wstring& unrepresentable) {
    for (std::wstring& option : options) {
        if (probes.fits(option)) continue;
        const size_t start = valueStart(option);
        if (start == std::wstring::npos || !probes.fits(option.substr(0, start))) {
            unrepresentable = option;
            return false;
        }
        std::wstring fitted = option.substr(0, start);
        for (size_t begin = start; begin <= option.size();) {
            size_t end = option.find(L';', begin);
            if (end == std::wstring::npos) end = option.size();
            std::wstring path = option.substr(begin, end - begin);
            if (!probes.fits(path)) {
                const std::wstring shortPath = probes.shortName(path);
                if (shortPath.empty() || !probes.fits(shortPath)) {
                    unrepresentable = path;
                    return false;
                }
                if (tracing()) trace(L"vm option path " + path + L" passed as " + shortPath);
                path = shortPath;
            }
            fitted += path;
            if (end == option.size()) break;
            fitted += L';';
            begin = end + 1;
        }
        option = fitted;
    }
    return true;
}
