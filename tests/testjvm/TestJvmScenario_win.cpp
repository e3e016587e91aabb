#include "testjvm/TestJvm.h"
#include "testjvm/TestJvmRuntime_win.h"

#include <cwchar>
#include <cwctype>

namespace testjvm {

namespace {

const wchar_t* const defaultThrowText =
    L"java.lang.IllegalStateException: Fehler \u00e4\u00f6\u00fc\r\n"
    L"\tat com.example.App.main(App.java:5)\r\n";

class ScenarioFile {
public:
    explicit ScenarioFile(std::wstring path) : path(std::move(path)) {}

    bool has(const wchar_t* key) const {
        return !text(key, L"").empty();
    }

    std::wstring text(const wchar_t* key, const wchar_t* fallback) const {
        if (path.empty()) return fallback;
        std::wstring buffer(32768, L'\0');
        DWORD length = GetPrivateProfileStringW(L"Vm", key, fallback, buffer.data(),
                                                static_cast<DWORD>(buffer.size()), path.c_str());
        buffer.resize(length);
        return buffer;
    }

    jint number(const wchar_t* key, jint fallback) const {
        std::wstring value = text(key, L"");
        if (value.empty()) return fallback;
        return static_cast<jint>(std::wcstoll(value.c_str(), nullptr, 0));
    }

    bool flag(const wchar_t* key, bool fallback) const {
        std::wstring value = text(key, L"");
        if (value.empty()) return fallback;
        return _wcsicmp(value.c_str(), L"yes") == 0 || _wcsicmp(value.c_str(), L"true") == 0 ||
               value == L"1";
    }

private:
    std::wstring path;
};

// \r \n \t \\ and \uXXXX, so that a scenario file in plain ASCII can hold any text.
std::wstring unescapeText(const std::wstring& value) {
    std::wstring result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != L'\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        wchar_t next = value[++i];
        switch (next) {
        case L'r': result += L'\r'; break;
        case L'n': result += L'\n'; break;
        case L't': result += L'\t'; break;
        case L'u':
            if (i + 4 < value.size()) {
                result += static_cast<wchar_t>(std::wcstoul(value.substr(i + 1, 4).c_str(), nullptr, 16));
                i += 4;
            } else {
                result += L"\\u";
            }
            break;
        default: result += next;
        }
    }
    return result;
}

std::vector<std::wstring> splitActions(const std::wstring& value) {
    std::vector<std::wstring> actions;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(L',', start);
        if (end == std::wstring::npos) end = value.size();
        std::wstring action = value.substr(start, end - start);
        while (!action.empty() && std::iswspace(action.front())) action.erase(0, 1);
        while (!action.empty() && std::iswspace(action.back())) action.pop_back();
        if (!action.empty()) actions.push_back(action);
        start = end + 1;
    }
    return actions;
}

std::vector<std::string> splitNames(const std::wstring& value) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(L';', start);
        if (end == std::wstring::npos) end = value.size();
        if (end > start) names.push_back(toUtf8(value.substr(start, end - start)));
        start = end + 1;
    }
    return names;
}

std::wstring scenarioPath() {
    wchar_t given[MAX_PATH * 4];
    DWORD length = GetEnvironmentVariableW(scenarioVariable, given, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) return {};
    // The profile functions look for a relative name in the Windows folder.
    wchar_t full[MAX_PATH * 4];
    length = GetFullPathNameW(given, MAX_PATH * 4, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 4) return {};
    return full;
}

}  // namespace

Scenario readScenario() {
    ScenarioFile file(scenarioPath());
    Scenario scenario;
    scenario.createResult = file.number(L"CreateResult", JNI_OK);
    scenario.createDelayMs = static_cast<DWORD>(file.number(L"CreateDelay", 0));
    scenario.defaultStackSize = file.number(L"DefaultStackSize", 0);
    scenario.launcherHelper = file.flag(L"LauncherHelper", true);
    if (_wcsicmp(file.text(L"CheckAndLoadMain", L"hotspot").c_str(), L"null") == 0) {
        scenario.checkAndLoadMain = Scenario::CheckAndLoadMain::null;
    }
    scenario.checkAndLoadMainThrows = file.flag(L"CheckAndLoadMainThrows", true);
    if (file.has(L"MainClass")) scenario.mainClass = toUtf8(file.text(L"MainClass", L""));
    scenario.hasMain = file.flag(L"HasMain", true);
    scenario.missingMethodThrows = file.flag(L"MissingMethodThrows", true);
    scenario.mainActions = splitActions(file.text(L"Main", L"return"));
    scenario.throwText = unescapeText(file.text(L"ThrowText", L""));
    if (scenario.throwText.empty()) scenario.throwText = defaultThrowText;
    scenario.stdoutLine = unescapeText(file.text(L"StdoutLine", L"stdout line"));
    scenario.stderrLine = unescapeText(file.text(L"StderrLine", L"stderr line"));
    scenario.hiddenClasses = splitNames(file.text(L"HideClasses", L""));
    scenario.detachResult = file.number(L"DetachResult", JNI_OK);
    scenario.destroyResult = file.number(L"DestroyResult", JNI_OK);
    std::wstring secondary = file.text(L"SecondaryMain", L"none");
    if (secondary == L"void") {
        scenario.secondaryMain = Scenario::Secondary::returnsVoid;
    } else if (secondary == L"int") {
        scenario.secondaryMain = Scenario::Secondary::returnsInt;
    }
    scenario.secondaryActions = splitActions(file.text(L"SecondaryAction", L"return"));
    scenario.secondaryResult = file.number(L"SecondaryResult", 0);
    return scenario;
}

}  // namespace testjvm
