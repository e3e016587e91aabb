#include "util/Paths.h"

#include "util/TextSplit.h"

namespace {

const std::wstring kLongPathPrefix = L"\\\\?\\";
const std::wstring kLongUncPrefix = L"\\\\?\\UNC\\";

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::wstring stripPathLevels(std::wstring path, int count) {
    for (int pass = 0; pass < count; ++pass) {
        const auto slash = path.rfind(L'\\');
        if (slash == std::wstring::npos) break;
        path.erase(slash);
    }
    return path;
}

std::wstring joinFolderAndName(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return std::wstring();
    std::wstring joined = folder;
    if (joined.back() != L'\\' && joined.back() != L'/') joined += L'\\';
    joined += name;
    return joined;
}

std::wstring applyLongPathRule(const std::wstring& path) {
    if (path.size() < kMaxPathLength || startsWith(path, kLongPathPrefix)) return path;
    return kLongPathPrefix + path;
}

bool hasAbsolutePathForm(const std::wstring& path) {
    if (path.size() < 2) return false;
    return (path[0] == L'\\' && path[1] == L'\\') || path[1] == L':';
}

bool isFullyQualifiedPath(const std::wstring& path) {
    auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;
    if (path.size() < 3 || path[1] != L':' || !separator(path[2])) return false;
    return (path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z');
}

bool hasUncForm(const std::wstring& path) {
    if (!startsWith(path, L"\\\\")) return false;
    // PathIsUNCW compares the "UNC" of a long-path prefix without regard to case.
    if (path.size() > 2 && path[2] == L'?') {
        if (path.size() < kLongUncPrefix.size()) return false;
        for (std::size_t i = 0; i < kLongUncPrefix.size(); ++i) {
            wchar_t c = path[i];
            if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
            if (c != kLongUncPrefix[i]) return false;
        }
    }
    return true;
}

RootAndComponents splitRootAndComponents(const std::wstring& path) {
    std::wstring prefix;
    if (startsWith(path, kLongUncPrefix)) {
        prefix = kLongUncPrefix;
    } else if (startsWith(path, kLongPathPrefix)) {
        prefix = kLongPathPrefix;
    }
    const std::wstring rest = path.substr(prefix.size());

    RootAndComponents split;
    const auto rootEnd = rest.find(L'\\', hasUncForm(rest) ? 2 : 0);
    split.root = prefix + rest.substr(0, rootEnd);
    if (rootEnd == std::wstring::npos) return split;

    std::size_t start = rootEnd + 1;
    while (start <= rest.size()) {
        auto end = rest.find(L'\\', start);
        if (end == std::wstring::npos) end = rest.size();
        if (end > start) split.components.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return split;
}

std::vector<std::wstring> foldersLeadingToFile(const std::wstring& path) {
    const RootAndComponents split = splitRootAndComponents(path);
    std::vector<std::wstring> folders;
    std::wstring folder = split.root;
    for (std::size_t i = 0; i + 1 < split.components.size(); ++i) {
        folder += L'\\';
        folder += split.components[i];
        folders.push_back(folder);
    }
    return folders;
}

std::wstring folderOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring workingFolderOf(const std::wstring& path) {
    const auto slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || slash < 1) return std::wstring();
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::wstring absolutePathFrom(const std::wstring& path, const std::wstring& workingFolder) {
    if (path.empty() || hasAbsolutePathForm(path) || workingFolder.empty()) return path;
    if (path[0] == L'\\' || path[0] == L'/') {
        if (workingFolder.size() >= 2 && workingFolder[1] == L':') return workingFolder.substr(0, 2) + path;
        return path;
    }
    return joinFolderAndName(workingFolder, path);
}

bool isSamePath(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    auto fold = [](wchar_t c) {
        if (c == L'/') return L'\\';
        if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c - L'A' + L'a');
        return c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

std::wstring runtimeBinFolderOf(const std::wstring& jvmPath) {
    const size_t own = jvmPath.rfind(L'\\');
    if (own == std::wstring::npos) return std::wstring();
    const std::wstring folder = jvmPath.substr(0, own);
    const size_t parent = folder.rfind(L'\\');
    if (parent != std::wstring::npos) {
        const std::wstring above = folder.substr(0, parent);
        const size_t name = above.rfind(L'\\');
        if (equalsIgnoringCase(above.substr(name == std::wstring::npos ? 0 : name + 1), L"bin")) return above;
    }
    return folder;
}
