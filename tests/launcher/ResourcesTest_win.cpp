// Reads the resources back from the running test program, which links the
// same resource script as the launcher.
#include "launcher/ErrorReport_win.h"
#include "resources/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>

namespace {

const WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

BOOL CALLBACK countName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) noexcept {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

INT_PTR CALLBACK plainDialogProc(HWND, UINT message, WPARAM, LPARAM) noexcept {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring controlText(HWND dialog, int id) {
    wchar_t buffer[512] = {};
    GetDlgItemTextW(dialog, id, buffer, 512);
    return buffer;
}

std::wstring windowText(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

// A modeless instance of a dialog template, destroyed with the owner.
class CreatedDialog {
public:
    explicit CreatedDialog(WORD id)
        : window_(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr,
                                     plainDialogProc, 0)) {}
    ~CreatedDialog() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    CreatedDialog(const CreatedDialog&) = delete;
    CreatedDialog& operator=(const CreatedDialog&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

}  // namespace

// ---- string table -------------------------------------------------------------

TEST(ResourceStrings, EveryIdFrom202To232IsPresentInGerman) {
    for (UINT id = 202; id <= 232; ++id) {
        EXPECT_FALSE(loadText(id).empty()) << "string " << id;
    }
    // Strings live in blocks of 16; ids 202 to 232 span blocks 13 to 15.
    for (UINT block : {13u, 14u, 15u}) {
        EXPECT_NE(FindResourceExW(GetModuleHandleW(nullptr), RT_STRING, MAKEINTRESOURCEW(block), kGerman),
                  nullptr)
            << "block " << block;
    }
    EXPECT_TRUE(loadText(201).empty());
    EXPECT_TRUE(loadText(233).empty());
}

struct ExpectedString {
    UINT id;
    const wchar_t* text;
};

void PrintTo(const ExpectedString& expected, std::ostream* out) { *out << "string " << expected.id; }

class ResourceStringText : public testing::TestWithParam<ExpectedString> {};

TEST_P(ResourceStringText, MatchesExactly) {
    EXPECT_EQ(loadText(GetParam().id), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ResourceStringText,
    testing::Values(
        ExpectedString{IDS_WINDOWS_ERROR, L"Windows Fehler: %s (Fehlernummer = %d).\n"},
        ExpectedString{IDS_JNI_ERROR, L"JNI Fehler: %s\nReason: %s.\n"},
        ExpectedString{IDS_JRE_NOT_FOUND,
                       L"Die Java-Laufzeitumgebung (JRE) wurde nicht gefunden. Bitte downloaden und "
                       L"installieren Sie eine JRE (%s) von:"},
        ExpectedString{IDS_NO_MAIN_CLASS, L"Main class in der INI-Datei nicht spezifiziert."},
        ExpectedString{IDS_CANNOT_LOAD_JVM,
                       L"Konnte Java VM Bibliothek: %s (Fehlernummer= %d) nicht laden.\n"},
        ExpectedString{IDS_JNI_REASON_ENOMEM, L"nicht genügend Arbeitsspeicher"},
        ExpectedString{IDS_JNI_REASON_EINVAL, L"ungültige Argumente"}),
    [](const testing::TestParamInfo<ExpectedString>& info) {
        return "Id" + std::to_string(info.param.id);
    });

TEST(ResourceStrings, LineFeedsAndUmlautsAreSingleCharacters) {
    std::wstring jni = loadText(IDS_JNI_ERROR);
    ASSERT_EQ(jni.size(), 27u);
    EXPECT_EQ(jni.find(L'\n'), 14u);
    EXPECT_EQ(jni.find(L'\n', 15), 26u);
    std::wstring memory = loadText(IDS_JNI_REASON_ENOMEM);
    ASSERT_EQ(memory.size(), 30u);
    EXPECT_EQ(memory[9], L'\x00FC');
}

// ---- manifest -------------------------------------------------------

TEST(ResourceManifest, DeclaresLevelDpiAwarenessControlsAndSystems) {
    int manifests = 0;
    EnumResourceNamesW(GetModuleHandleW(nullptr), RT_MANIFEST, countName,
                       reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);

    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(info, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, info)));
    ASSERT_NE(data, nullptr);
    std::string manifest(data, SizeofResource(module, info));

    for (const char* part :
         {"level=\"asInvoker\"", "uiAccess=\"false\"", ">true/pm</dpiAware>",
          ">PerMonitorV2, PerMonitor</dpiAwareness>", "name=\"Microsoft.Windows.Common-Controls\"",
          "version=\"6.0.0.0\"", "processorArchitecture=\"*\"", "publicKeyToken=\"6595b64144ccf1df\"",
          "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST(ResourceDialogs, RuntimeNotFoundDialogCanBeCreated) {
    CreatedDialog dialog(IDD_JRE_NOT_FOUND);
    ASSERT_NE(dialog.get(), nullptr) << "error " << GetLastError();
    EXPECT_EQ(windowText(dialog.get()), L"JRE nicht gefunden");
    for (int id : {IDOK, IDCANCEL, IDC_JRE_PATH_EDIT, IDC_BROWSE_BUTTON, IDC_ERROR_ICON,
                   IDC_JRE_MESSAGE, IDC_DOWNLOAD_LINK, IDC_BROWSE_HINT}) {
        EXPECT_NE(GetDlgItem(dialog.get(), id), nullptr) << "control " << id;
    }
    EXPECT_EQ(controlText(dialog.get(), IDOK), L"Ok");
    EXPECT_EQ(controlText(dialog.get(), IDCANCEL), L"Abbrechen");
    EXPECT_EQ(controlText(dialog.get(), IDC_BROWSE_HINT),
              L"Wenn Sie ein JRE installiert haben, können Sie unten danach suchen:");
    // The ordinal in the template resolves to the system's error icon.
    EXPECT_NE(SendDlgItemMessageW(dialog.get(), IDC_ERROR_ICON, STM_GETICON, 0, 0), 0);
}

TEST(ResourceDialogs, ExceptionDialogCanBeCreated) {
    CreatedDialog dialog(IDD_JAVA_EXCEPTION);
    ASSERT_NE(dialog.get(), nullptr) << "error " << GetLastError();
    EXPECT_EQ(windowText(dialog.get()), L"Java Fehler");
    for (int id : {IDOK, IDCANCEL, IDC_EXCEPTION_GROUP, IDC_ERROR_ICON, IDC_EXCEPTION_HEADING,
                   IDC_STACK_TRACE_EDIT, IDC_EXCEPTION_HINT, IDC_EXCEPTION_WARNING}) {
        EXPECT_NE(GetDlgItem(dialog.get(), id), nullptr) << "control " << id;
    }
    EXPECT_EQ(controlText(dialog.get(), IDOK), L"Ignorieren");
    EXPECT_EQ(controlText(dialog.get(), IDCANCEL), L"Stop");
    EXPECT_EQ(controlText(dialog.get(), IDC_EXCEPTION_HINT),
              L"Klicken Sie auf Ignorieren, um fortzufahren und die Ausnahme zu übergehen oder "
              L"Stop, um die Anwendung zu schließen.");
    EXPECT_NE(SendDlgItemMessageW(dialog.get(), IDC_ERROR_ICON, STM_GETICON, 0, 0), 0);
    // The trace box takes several lines.
    LONG style = GetWindowLongW(GetDlgItem(dialog.get(), IDC_STACK_TRACE_EDIT), GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
}
