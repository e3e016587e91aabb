#include "support/LauncherProcess_win.h"

#include "support/FileBytes_win.h"
#include "util/UniqueResource_win.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr UINT kReplyTimeoutMs = 2000;
constexpr DWORD kPollMs = 20;
constexpr DWORD kCloseTimeoutMs = 5000;
constexpr UINT kKilledExitCode = 0xDEAD;
// The static control that holds a message box's text.
constexpr int kMessageTextId = 0xFFFF;

// WM_GETTEXT rather than GetWindowTextW: for a control of another process
// GetWindowTextW does not ask the control and gives an empty text.

bool isDialogClass(HWND window) {
    wchar_t name[16] = {};
    return GetClassNameW(window, name, 16) > 0 && std::wstring(name) == L"#32770";
}

struct DialogSearch {
    std::set<DWORD> processIds;  // empty: match by threadId
    DWORD threadId = 0;
    std::vector<HWND> found;
};

// A dialog is taken once it is visible: a message box is shown only after its
// text and buttons have been set up.
BOOL CALLBACK collectDialog(HWND window, LPARAM context) noexcept {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    DWORD processId = 0;
    DWORD threadId = GetWindowThreadProcessId(window, &processId);
    bool ours = search->processIds.empty() ? threadId == search->threadId
                                           : search->processIds.count(processId) > 0;
    if (ours && IsWindowVisible(window) && isDialogClass(window)) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> findDialogs(DialogSearch search) {
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

SeenDialog describe(HWND dialog) {
    SeenDialog seen;
    seen.caption = windowText(dialog);
    if (HWND text = GetDlgItem(dialog, kMessageTextId)) {
        seen.messageBox = true;
        seen.text = windowText(text);
    }
    return seen;
}

// Presses button id as a click would: the dialog gets WM_COMMAND BN_CLICKED.
// BM_CLICK is not used because Windows may ignore it while the dialog is not
// the active window, which a box of a background process often is not.
bool press(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr) return false;
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button)) != FALSE;
}

// Answers each dialog once when it appears, and presses its button again
// while it stays open, in case a click went astray.
class DialogWatcher {
public:
    explicit DialogWatcher(DialogAnswer answer) : answer_(std::move(answer)) {}

    void poll(const DialogSearch& search, std::vector<SeenDialog>& seenDialogs) {
        ULONGLONG now = GetTickCount64();
        // A closed dialog's handle may be given to a new window later.
        for (auto it = open_.begin(); it != open_.end();) {
            it = IsWindow(it->dialog) ? std::next(it) : open_.erase(it);
        }
        for (HWND dialog : findDialogs(search)) {
            auto known = std::find_if(open_.begin(), open_.end(),
                                      [&](const OpenDialog& o) { return o.dialog == dialog; });
            if (known != open_.end()) {
                if (now - known->pressedAt >= kRepressMs && known->id != 0) {
                    press(dialog, known->id);
                    known->pressedAt = now;
                }
                continue;
            }
            SeenDialog seen = describe(dialog);
            int id = answer_ ? answer_(dialog, seen) : pressOkOrCancel(dialog, seen);
            seen.pressed = press(dialog, id) ? id : 0;
            open_.push_back({dialog, seen.pressed, now});
            seenDialogs.push_back(seen);
        }
    }

private:
    static constexpr ULONGLONG kRepressMs = 1000;

    struct OpenDialog {
        HWND dialog;
        int id;
        ULONGLONG pressedAt;
    };

    DialogAnswer answer_;
    std::vector<OpenDialog> open_;
};

std::wstring upper(const std::wstring& text) {
    std::wstring result = text;
    for (auto& c : result) c = static_cast<wchar_t>(std::towupper(c));
    return result;
}

// The name of an environment entry; entries such as "=C:=C:\dir" keep their
// leading "=" in the name.
std::wstring entryName(const std::wstring& entry) {
    size_t equals = entry.find(L'=', 1);
    return entry.substr(0, equals);
}

// This process's environment with the changes applied, as a sorted
// CREATE_UNICODE_ENVIRONMENT block.
std::vector<wchar_t> environmentBlock(const RunOptions& options) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) entries.emplace_back(p);
        FreeEnvironmentStringsW(block);
    }
    std::vector<std::pair<std::wstring, std::wstring>> changes = options.environment;
    if (!options.appData.empty()) changes.emplace_back(L"APPDATA", options.appData);
    for (const auto& [name, value] : changes) {
        std::wstring key = upper(name);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& e) { return upper(entryName(e)) == key; }),
                      entries.end());
        if (!value.empty()) entries.push_back(name + L"=" + value);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return upper(entryName(a)) < upper(entryName(b));
    });
    std::vector<wchar_t> block;
    for (const auto& e : entries) {
        block.insert(block.end(), e.begin(), e.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    if (entries.empty()) block.push_back(L'\0');
    return block;
}

// A job that holds the started program and whatever it starts, so that their
// dialogs are seen too. It does not kill on close: Windows puts helpers such
// as conhost.exe into it, and Wine may start its desktop process explorer.exe
// from the first program that needs one; those must outlive the run.
UniqueHandle createJob() { return UniqueHandle(CreateJobObjectW(nullptr, nullptr)); }

// The processes of a run that belong to the program: the program itself and
// the processes in its job whose image lies outside the Windows folder.
class ProgramProcesses {
public:
    ProgramProcesses(HANDLE job, DWORD programId) : job_(job), programId_(programId) {
        wchar_t folder[MAX_PATH] = {};
        UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
        if (length > 0 && length < MAX_PATH) windowsFolder_ = upper(std::wstring(folder, length) + L"\\");
    }

    // The ids of the program's live processes, the program included while it
    // runs. Without a job only the program itself is known.
    std::set<DWORD> ids() {
        std::set<DWORD> result;
        // The list's header is two DWORDs, followed by ULONG_PTR ids.
        std::vector<ULONG_PTR> buffer(2 + 256);
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
        if (job_ == nullptr ||
            !QueryInformationJobObject(job_, JobObjectBasicProcessIdList, list,
                                       static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR)), nullptr)) {
            result.insert(programId_);
            return result;
        }
        for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
            auto id = static_cast<DWORD>(list->ProcessIdList[i]);
            if (id == programId_ || belongsToProgram(id)) result.insert(id);
        }
        return result;
    }

private:
    bool belongsToProgram(DWORD id) {
        auto known = verdicts_.find(id);
        if (known != verdicts_.end()) return known->second;
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
        wchar_t path[MAX_PATH * 4] = {};
        DWORD length = MAX_PATH * 4;
        // A process that has only just been created may not have its image
        // name yet (so under Wine): it counts as the program's until it has.
        if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &length)) return true;
        bool ours = windowsFolder_.empty() || upper(std::wstring(path, length)).rfind(windowsFolder_, 0) != 0;
        verdicts_[id] = ours;
        return ours;
    }

    HANDLE job_;
    DWORD programId_;
    std::wstring windowsFolder_;
    std::map<DWORD, bool> verdicts_;
};

DWORD WINAPI showProbeBox(void*) noexcept {
    MessageBoxW(nullptr, L"caption probe", nullptr, MB_OK | MB_ICONERROR);
    return 0;
}

std::wstring readDefaultErrorCaption() {
    DWORD threadId = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, showProbeBox, nullptr, 0, &threadId));
    if (!thread) return std::wstring();
    DialogSearch search;
    search.threadId = threadId;
    std::vector<SeenDialog> seen;
    DialogWatcher watcher(pressOkOrCancel);
    for (DWORD waited = 0; waited < 15000; waited += kPollMs) {
        watcher.poll(search, seen);
        if (WaitForSingleObject(thread.get(), kPollMs) == WAIT_OBJECT_0) {
            return seen.size() == 1 ? seen.front().caption : std::wstring();
        }
    }
    // The box could not be closed; the thread is left to the process's end.
    return std::wstring();
}

}  // namespace

int pressOkOrCancel(HWND dialog, const SeenDialog&) {
    HWND ok = GetDlgItem(dialog, IDOK);
    return ok != nullptr && IsWindowEnabled(ok) ? IDOK : IDCANCEL;
}

namespace {

// Files in the temp folder as a console program's standard streams; handles
// the child inherits, the files removed again at the end.
struct StandardFiles {
    std::wstring paths[3];
    UniqueFile input, output, error;

    bool open(const std::string& inputText) {
        wchar_t folder[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, folder);
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        UniqueFile* files[3] = {&input, &output, &error};
        for (int i = 0; i < 3; ++i) {
            wchar_t name[MAX_PATH + 1] = {};
            if (!GetTempFileNameW(folder, L"std", 0, name)) return false;
            paths[i] = name;
            files[i]->reset(CreateFileW(name, i == 0 ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!*files[i]) return false;
        }
        DWORD written = 0;
        WriteFile(input.get(), inputText.data(), static_cast<DWORD>(inputText.size()), &written, nullptr);
        SetFilePointer(input.get(), 0, nullptr, FILE_BEGIN);
        return true;
    }

    ~StandardFiles() {
        input.reset();
        output.reset();
        error.reset();
        for (const std::wstring& path : paths)
            if (!path.empty()) DeleteFileW(path.c_str());
    }
};

}  // namespace

RunResult runProgram(const std::wstring& program, const RunOptions& options) {
    RunResult result;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!options.arguments.empty()) commandLine += L" " + options.arguments;
    std::vector<wchar_t> commandBuffer(commandLine.begin(), commandLine.end());
    commandBuffer.push_back(L'\0');
    std::vector<wchar_t> environment = environmentBlock(options);
    std::wstring directory = options.workingDirectory;
    if (directory.empty()) directory = program.substr(0, program.find_last_of(L'\\'));

    UniqueHandle job = createJob();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    StandardFiles streams;
    if (options.standardStreams) {
        if (!streams.open(options.standardInput)) {
            result.startError = GetLastError();
            return result;
        }
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = streams.input.get();
        startup.hStdOutput = streams.output.get();
        startup.hStdError = streams.error.get();
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandBuffer.data(), nullptr, nullptr, options.standardStreams,
                        CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT, environment.data(),
                        directory.c_str(), &startup, &info)) {
        result.startError = GetLastError();
        return result;
    }
    result.started = true;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (job && !AssignProcessToJobObject(job.get(), process.get())) job.reset();
    ResumeThread(thread.get());

    DialogSearch search;
    DialogWatcher watcher(options.answer);
    ProgramProcesses processes(job.get(), info.dwProcessId);
    ULONGLONG deadline = GetTickCount64() + options.timeoutMs;
    for (;;) {
        search.processIds = processes.ids();
        search.processIds.insert(info.dwProcessId);
        watcher.poll(search, result.dialogs);

        if (WaitForSingleObject(process.get(), kPollMs) == WAIT_OBJECT_0) {
            // Asked again after the end: what the program started before it
            // ended is in the job by now.
            std::set<DWORD> left = processes.ids();
            left.erase(info.dwProcessId);
            if (left.empty()) break;
        }
        if (GetTickCount64() >= deadline) {
            result.timedOut = true;
            for (DWORD id : processes.ids()) {
                UniqueHandle other(OpenProcess(PROCESS_TERMINATE, FALSE, id));
                if (other && id != info.dwProcessId) TerminateProcess(other.get(), kKilledExitCode);
            }
            TerminateProcess(process.get(), kKilledExitCode);
            WaitForSingleObject(process.get(), kCloseTimeoutMs);
            break;
        }
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    if (options.standardStreams) {
        streams.output.reset();
        streams.error.reset();
        result.standardOutput = readFileBytes(streams.paths[1]);
        result.standardError = readFileBytes(streams.paths[2]);
    }
    return result;
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                            nullptr, nullptr);
    }
    return result;
}

std::string describeRun(const RunResult& run) {
    if (!run.started) return "not started, error " + std::to_string(run.startError);
    std::string text = "exit code " + std::to_string(run.exitCode);
    if (run.timedOut) text += " (ended after the time-out)";
    text += ", dialogs:";
    if (run.dialogs.empty()) text += " none";
    for (const SeenDialog& d : run.dialogs) text += " [" + toUtf8(d.caption) + ": " + toUtf8(d.text) + "]";
    return text;
}

const std::wstring& defaultErrorCaption() {
    static const std::wstring caption = readDefaultErrorCaption();
    return caption;
}

std::wstring windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs,
                             &length)) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied)) {
        return std::wstring();
    }
    return std::wstring(buffer.data(), std::min<size_t>(copied, length));
}
