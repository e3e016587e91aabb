// The dialog a start shows when it finds no runtime, driven through its
// controls and through the shell's real folder picker.
#include "support/FileBytes_win.h"
#include "support/Registry_win.h"
#include "support/TestApp_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testjvm::recordValue;

namespace {

const int kPathEdit = 201;
const int kBrowseButton = 202;
const int kMessage = 203;
const wchar_t* const kProductFolder = L"Beispiel";
const wchar_t* const kProductCode = L"{1234}";


struct FindPicker {
    HWND owner;
    HWND found = nullptr;
};

BOOL CALLBACK findPicker(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<FindPicker*>(parameter);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (GetWindow(window, GW_OWNER) == search->owner && std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The first dialog owned by owner: the folder picker, or a message box.
HWND waitForPicker(HWND owner, int tries = 100) {
    for (int i = 0; i < tries; ++i) {
        FindPicker search{owner};
        EnumWindows(findPicker, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        Sleep(100);
    }
    return nullptr;
}

// Opens the folder picker of the dialog, selects folder in it (the path is
// written into the launcher's process for BFFM_SETSELECTIONW) and presses
// its OK; true when the dialog's path field then shows folder. The tree may
// not be filled on a cold start, so the selection is sent more than once.
bool pickFolder(HWND dialog, const std::wstring& folder) {
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId));
    if (!process) return false;
    const SIZE_T bytes = (folder.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process.get(), nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr || !WriteProcessMemory(process.get(), remote, folder.c_str(), bytes, nullptr)) return false;
    bool picked = false;
    for (int attempt = 0; attempt < 3 && !picked; ++attempt) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kBrowseButton, BN_CLICKED), 0);
        HWND picker = waitForPicker(dialog);
        if (picker == nullptr) break;
        for (int i = 0; i < 3; ++i) {
            SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote));
            Sleep(300);
        }
        PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(picker, IDOK)));
        for (int i = 0; i < 50 && IsWindow(picker); ++i) Sleep(100);
        picked = windowText(GetDlgItem(dialog, kPathEdit)) == folder;
    }
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return picked;
}

// What the test saw of the dialog before it answered.
struct Seen {
    bool shown = false;
    std::wstring message;
    bool okAtFirst = true;
    bool picked = false;
    std::wstring path;
    bool okAfterPick = false;
    // The text of a box the pick brought up, closed with OK.
    std::wstring reason;
};

class RuntimeNotFound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        // No runtime beside it, none stored, and no registered one can fit.
        ASSERT_TRUE(t.configure(L"Minimum Version=900\nMaximum Version=any\n" + runtimeKeys, applicationKeys,
                                std::wstring(L"[Product Information]\nProduct Name=") + kProductFolder +
                                    L"\nProduct Code=" + kProductCode + L"\n"));
    }

    // Shows the dialog, reads it, picks folder when one is given, and answers
    // with button (0: Esc).
    RunResult start(Seen& seen, const std::wstring& folder, int button) {
        RunOptions options = t.options();
        options.appData = appData;
        // Removed from the start's environment.
        if (appData.empty()) options.environment.emplace_back(L"APPDATA", L"");
        options.timeoutMs = 60000;
        options.answer = [&seen, folder, button](HWND dialog, const SeenDialog& shown) {
            if (GetDlgItem(dialog, kBrowseButton) == nullptr) return pressOkOrCancel(dialog, shown);
            seen.shown = true;
            seen.message = windowText(GetDlgItem(dialog, kMessage));
            seen.okAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
            if (!folder.empty()) {
                seen.picked = pickFolder(dialog, folder);
                seen.path = windowText(GetDlgItem(dialog, kPathEdit));
                if (HWND box = waitForPicker(dialog, 10)) {
                    seen.reason = windowText(GetDlgItem(box, 0xFFFF));
                    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    for (int i = 0; i < 50 && IsWindow(box); ++i) Sleep(100);
                }
                seen.okAfterPick = IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE;
            }
            if (button == 0) {
                PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
                PostMessageW(dialog, WM_KEYUP, VK_ESCAPE, 0);
            }
            return button;
        };
        Started started = t.start(options);
        record = started.record;
        return started.run;
    }

    std::wstring userIni() const { return app.userIniPath(kProductFolder, kProductCode); }

    TestApp t;
    AppFolder& app = t.folder;
    std::wstring appData = app.appDataPath();
    std::wstring runtimeKeys;
    std::wstring applicationKeys;
    std::vector<testjvm::RecordEntry> record;
};

std::wstring storedJrePath(const std::wstring& ini) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(L"Java Runtime Environment", L"JRE Path", L"", value, 1024, ini.c_str());
    return value;
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST_F(RuntimeNotFound, NamesTheRequirementAndCancelOrEscEndTheStart) {
    for (int button : {IDCANCEL, 0}) {
        Seen seen;
        RunResult run = start(seen, L"", button);
        ASSERT_TRUE(seen.shown) << describeRun(run);
        EXPECT_EQ(seen.message, L"Die Java-Laufzeitumgebung (JRE) wurde nicht gefunden. Bitte downloaden und "
                                L"installieren Sie eine JRE (minimum Version 900.0) von:");
        EXPECT_FALSE(seen.okAtFirst);
        EXPECT_FALSE(run.timedOut) << describeRun(run);
        EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
        EXPECT_FALSE(exists(userIni()));
    }
}

TEST_F(RuntimeNotFound, FolderWithoutAVmLeavesOkDisabled) {
    const std::wstring empty = app.root() + L"\\NoRuntime";
    ASSERT_TRUE(createFolderTree(empty + L"\\bin"));
    Seen seen;
    RunResult run = start(seen, empty, IDCANCEL);
    ASSERT_TRUE(seen.picked) << "the folder picker could not be driven; path shown: " << toUtf8(seen.path);
    EXPECT_FALSE(seen.okAfterPick);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
}

TEST_F(RuntimeNotFound, PickedRuntimeStartsAndIsStoredForTheUser) {
    const std::wstring home = app.root() + L"\\Runtime";
    ASSERT_TRUE(makeRuntimeHome(home, VmKind::client));
    Seen seen;
    RunResult run = start(seen, home, IDOK);
    ASSERT_TRUE(seen.picked) << "the folder picker could not be driven; path shown: " << toUtf8(seen.path);
    EXPECT_TRUE(seen.okAfterPick);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(recordValue(record, "loaded").value_or(""), toUtf8(jvmPathIn(home, VmKind::client)));
    EXPECT_EQ(storedJrePath(userIni()), home + L"\\");
    EXPECT_EQ(storedJrePath(app.iniPath()), L"");

    // The next start finds it without asking.
    Seen again;
    run = start(again, L"", IDCANCEL);
    EXPECT_FALSE(again.shown);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
}

TEST_F(RuntimeNotFound, ServiceStoresThePickInItsConfigurationFile) {
    applicationKeys = L"Application Type=service\n";
    SetUp();
    const std::wstring home = app.root() + L"\\Runtime";
    ASSERT_TRUE(makeRuntimeHome(home, VmKind::client));
    Seen seen;
    RunResult run = start(seen, home, IDOK);
    ASSERT_TRUE(seen.picked) << "the folder picker could not be driven; path shown: " << toUtf8(seen.path);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(storedJrePath(app.iniPath()), home + L"\\");
    EXPECT_FALSE(exists(userIni()));
}

TEST_F(RuntimeNotFound, RuntimeOfAnotherProcessorIsRefusedWithTheReason) {
    const std::wstring home = app.root() + L"\\Other";
    if (!makeRuntimeHome(home, VmKind::client, StandIn::full, Machine::other))
        GTEST_SKIP() << "the other build's stand-in is missing";
    Seen seen;
    RunResult run = start(seen, home, IDCANCEL);
    ASSERT_TRUE(seen.picked) << "the folder picker could not be driven; path shown: " << toUtf8(seen.path);
    EXPECT_FALSE(seen.okAfterPick);
    EXPECT_EQ(seen.reason, L"Die Java-Laufzeitumgebung in " + home +
                               L"\\ ist für einen anderen Prozessor gebaut und kann von diesem Programm nicht "
                               L"gestartet werden. Bitte wählen Sie eine andere.\n");
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_FALSE(exists(userIni()));
}

TEST_F(RuntimeNotFound, StoredRuntimeOfAnotherProcessorAsksAgainInsteadOfFailingForEver) {
    const std::wstring home = app.root() + L"\\Other";
    if (!makeRuntimeHome(home, VmKind::client, StandIn::full, Machine::other))
        GTEST_SKIP() << "the other build's stand-in is missing";
    ASSERT_TRUE(app.writeUserIni(kProductFolder, kProductCode, L"[Java Runtime Environment]\nJRE Path=" + home + L"\n"));
    Seen seen;
    RunResult run = start(seen, L"", IDCANCEL);
    EXPECT_TRUE(seen.shown) << describeRun(run);
    EXPECT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
}

TEST_F(RuntimeNotFound, WithoutAppDataThePickGoesToTheUsersRoamingFolder) {
    wchar_t roaming[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, roaming)));
    const std::wstring productFolder = std::wstring(roaming) + L"\\" + kProductFolder;
    const std::wstring stored = productFolder + L"\\" + kProductCode + L"\\Sample.ini";
    const std::wstring atRoot = app.root().substr(0, 2) + L"\\" + kProductFolder;
    const std::wstring home = app.root() + L"\\Runtime";
    ASSERT_TRUE(makeRuntimeHome(home, VmKind::client));
    appData.clear();
    Seen seen;
    RunResult run = start(seen, home, IDOK);
    const std::wstring value = storedJrePath(stored);
    const bool wroteAtRoot = exists(atRoot);
    DeleteFileW(stored.c_str());
    RemoveDirectoryW((productFolder + L"\\" + kProductCode).c_str());
    RemoveDirectoryW(productFolder.c_str());
    DeleteFileW((atRoot + L"\\" + kProductCode + L"\\Sample.ini").c_str());
    RemoveDirectoryW((atRoot + L"\\" + kProductCode).c_str());
    RemoveDirectoryW(atRoot.c_str());
    ASSERT_TRUE(seen.picked) << "the folder picker could not be driven; path shown: " << toUtf8(seen.path);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(value, home + L"\\");
    EXPECT_FALSE(wroteAtRoot);
}

TEST_F(RuntimeNotFound, PickThatCannotBeStoredIsUsedAndTheUserToldOnce) {
    // A file where the product's folder would go: the folder cannot be made.
    ASSERT_TRUE(writeFileBytes(app.appDataPath() + L"\\" + kProductFolder, "not a folder"));
    const std::wstring home = app.root() + L"\\Runtime";
    ASSERT_TRUE(makeRuntimeHome(home, VmKind::client));
    Seen seen;
    RunResult run = start(seen, home, IDOK);
    ASSERT_TRUE(seen.picked) << "the folder picker could not be driven; path shown: " << toUtf8(seen.path);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(recordValue(record, "loaded").value_or(""), toUtf8(jvmPathIn(home, VmKind::client)));
    ASSERT_EQ(run.dialogs.size(), 2u) << describeRun(run);
    const std::wstring& told = run.dialogs[1].text;
    EXPECT_EQ(told.find(L"Windows Fehler: Die gewählte Java-Laufzeitumgebung wird verwendet, konnte aber nicht für "
                        L"den nächsten Start gespeichert werden in " + userIni() + L": "),
              0u) << toUtf8(told);
    EXPECT_NE(told.find(L"(Fehlernummer = "), std::wstring::npos) << toUtf8(told);
}

TEST(RuntimeNotFoundDownloaded, DllsPlantedBesideTheExecutableAreNeverLoaded) {
    // An application started from a Downloads folder that also holds a
    // version.dll and others, with Windows's search order and native DLLs
    // preferred for this executable: the launcher, the dialog and the folder
    // picker load such DLLs by name.
    TestApp t(L"Downloaded.exe");
    const std::wstring& exe = t.folder.exePath();
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    RegisteredRuntimes overrides;
    std::vector<const wchar_t*> planted = {L"uxtheme", L"comctl32", L"shell32", L"ole32"};
    // Wine's user32 imports version.dll; the 64-bit build loads user32 only
    // after the search is restricted, the 32-bit one imports it at start
    // (where Windows has it as a known DLL).
    if (sizeof(void*) == 8) planted.push_back(L"version");
    for (const wchar_t* name : planted) {
        ASSERT_TRUE(CopyFileW((testBinFolder() + L"\\testplanted.dll").c_str(),
                              (folder + L"\\" + name + L".dll").c_str(), FALSE));
        ASSERT_TRUE(overrides.addString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Downloaded.exe\\DllOverrides",
                                        name, L"native,builtin", ownRegistryView()))
            << toUtf8(overrides.error());
    }
    const std::wstring home = t.folder.root() + L"\\Runtime";
    ASSERT_TRUE(makeRuntimeHome(home, VmKind::client));
    ASSERT_TRUE(t.configure(L"Minimum Version=900\nMaximum Version=any\n"));
    const std::wstring plantedRecord = t.folder.root() + L"\\planted.txt";
    RunOptions options = t.options();
    options.environment.emplace_back(L"PLANTED_RECORD", plantedRecord);
    options.timeoutMs = 60000;
    bool picked = false;
    options.answer = [&](HWND dialog, const SeenDialog& shown) {
        if (GetDlgItem(dialog, kBrowseButton) == nullptr) return pressOkOrCancel(dialog, shown);
        picked = pickFolder(dialog, home);
        return IDOK;
    };
    const Started started = t.start(options);
    EXPECT_EQ(readFileBytes(plantedRecord), "") << "a planted DLL was loaded";
    EXPECT_TRUE(picked) << "the folder picker could not be driven";
    EXPECT_FALSE(started.run.timedOut) << started.text();
    EXPECT_EQ(started.run.exitCode, 0u) << started.text();
}
