#include "jvm/AnsiOptions.h"

#include "util/Trace.h"

namespace {

// Properties whose entries the VM opens while it is created.
const wchar_t* const kPathListProperties[] = {
    L"java.class.path",
    L"java.library.path",
    L"jdk.module.path",
    L"jdk.module.upgrade.path",
    L"jdk.boot.class.path.append",
    L"sun.boot.library.path",
    L"sun.boot.class.path",
    L"java.ext.dirs",
    L"java.endorsed.dirs",
};
// Other properties the VM or the runtime's start reads before any code of
// the launcher can run in it: setting them later would change nothing.
const wchar_t* const kCreationProperties[] = {
    L"java.home", L"user.home", L"user.dir", L"java.system.class.loader", L"java.security.manager", L"file.encoding",
};

template <size_t N>
bool isOneOf(const std::wstring& name, const wchar_t* const (&names)[N]) {
    for (const wchar_t* candidate : names)
        if (name == candidate) return true;
    return false;
}

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "X:\", "X:/" or "\\" at text[at].
bool isAbsolutePathAt(const std::wstring& text, size_t at) {
    if (at + 1 < text.size() && text[at] == L'\\' && text[at + 1] == L'\\') return true;
    if (at + 2 >= text.size()) return false;
    const wchar_t drive = text[at];
    return ((drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z')) && text[at + 1] == L':' &&
           isSeparator(text[at + 2]);
}

// text, an absolute path perhaps followed by more (a file still to be
// written, an agent's options), with its longest existing part replaced by
// that part's short name. False when the result would not fit either.
bool shortenPath(std::wstring& text, const CodePageProbes& probes) {
    if (probes.fits(text)) return true;
    for (size_t end = text.size(); end > 2; --end) {
        if (end != text.size() && !isSeparator(text[end])) continue;
        const std::wstring shortPart = probes.shortName(text.substr(0, end));
        if (shortPart.empty()) continue;
        const std::wstring shortened = shortPart + text.substr(end);
        if (!probes.fits(shortened)) return false;
        if (tracing()) trace(L"vm option path " + text + L" passed as " + shortened);
        text = shortened;
        return true;
    }
    return false;
}

// A path list: entries that do not fit go by their short names, and those
// that do not exist are left out (a stale Path entry names nothing).
bool fitPathList(const std::wstring& list, const CodePageProbes& probes, std::wstring& fitted) {
    fitted.clear();
    bool first = true;
    for (size_t begin = 0; begin <= list.size();) {
        size_t end = list.find(L';', begin);
        if (end == std::wstring::npos) end = list.size();
        std::wstring entry = list.substr(begin, end - begin);
        bool keep = true;
        if (!probes.fits(entry)) {
            if (!isAbsolutePathAt(entry, 0)) return false;
            const std::wstring shortEntry = probes.shortName(entry);
            if (shortEntry.empty()) {
                if (tracing()) trace(L"vm option path " + entry + L" left out: it does not exist");
                keep = false;
            } else if (!probes.fits(shortEntry)) {
                return false;
            } else {
                if (tracing()) trace(L"vm option path " + entry + L" passed as " + shortEntry);
                entry = shortEntry;
            }
        }
        if (keep) {
            if (!first) fitted += L';';
            fitted += entry;
            first = false;
        }
        if (end == list.size()) break;
        begin = end + 1;
    }
    return true;
}

// The absolute paths in option (after "=", ":", ";", "," or a quote, up to
// the next ";", "," or quote) shortened where they do not fit.
bool fitPathsIn(std::wstring& option, const CodePageProbes& probes) {
    std::wstring fitted;
    for (size_t at = 0; at < option.size();) {
        const bool afterDelimiter = at > 0 && std::wstring(L"=:;,\"").find(option[at - 1]) != std::wstring::npos;
        if (afterDelimiter && isAbsolutePathAt(option, at)) {
            size_t end = option.find_first_of(L";,\"", at);
            if (end == std::wstring::npos) end = option.size();
            std::wstring path = option.substr(at, end - at);
            if (!shortenPath(path, probes)) return false;
            fitted += path;
            at = end;
        } else {
            fitted += option[at++];
        }
    }
    if (!probes.fits(fitted)) return false;
    option = fitted;
    return true;
}

// A -D option; false when it can be passed in no way.
bool fitProperty(const std::wstring& option, const CodePageProbes& probes, FittedOptions& fitted) {
    const size_t equals = option.find(L'=');
    const std::wstring name = option.substr(2, equals == std::wstring::npos ? std::wstring::npos : equals - 2);
    const std::wstring value = equals == std::wstring::npos ? std::wstring() : option.substr(equals + 1);
    if (isOneOf(name, kPathListProperties)) {
        std::wstring list;
        if (!probes.fits(name) || !fitPathList(value, probes, list)) return false;
        fitted.options.push_back(L"-D" + name + L"=" + list);
        return true;
    }
    if (isOneOf(name, kCreationProperties)) {
        std::wstring path = value;
        if (!isAbsolutePathAt(path, 0) || !shortenPath(path, probes)) return false;
        fitted.options.push_back(L"-D" + name + L"=" + path);
        return true;
    }
    if (tracing()) trace(L"vm option " + option + L" set once the VM runs");
    fitted.lateProperties.push_back({name, value});
    return true;
}

}  // namespace

FittedOptions fitOptionsToCodePage(const std::vector<std::wstring>& options, const CodePageProbes& probes) {
    FittedOptions fitted;
    for (const std::wstring& option : options) {
        if (probes.fits(option)) {
            fitted.options.push_back(option);
            continue;
        }
        if (option.compare(0, 2, L"-D") == 0 && option.size() > 2) {
            if (fitProperty(option, probes, fitted)) continue;
        } else {
            std::wstring shortened = option;
            if (fitPathsIn(shortened, probes)) {
                fitted.options.push_back(shortened);
                continue;
            }
        }
        fitted.refused = option;
        return fitted;
    }
    return fitted;
}
