// Reads the resources back from the running test program, which links the
// same resource script as the launcher.
#include "resources/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstddef>
#include <cstring>
#include <cwctype>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

const WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

std::wstring loadString(UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

// The raw bytes of a resource of this module in German; empty when missing.
std::vector<unsigned char> resourceBytes(LPCWSTR type, LPCWSTR name, WORD language) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceExW(module, type, name, language);
    if (info == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, info);
    if (data == nullptr || size == 0) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

BOOL CALLBACK countName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) noexcept {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// ---- dialog templates -------------------------------------------------------

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // predefined classes by name, lower case
    std::wstring text;       // an ordinal as "#number"
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring fontName;
    std::vector<TemplateItem> items;
};

// Reads the DLGTEMPLATEEX layout; false when the bytes do not hold one.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

    bool read(DialogTemplate& dialog) {
        WORD version = 0, signature = 0, count = 0;
        DWORD helpId = 0;
        if (!take(version) || !take(signature) || version != 1 || signature != 0xFFFF) return false;
        if (!take(helpId) || !take(dialog.exStyle) || !take(dialog.style) || !take(count)) return false;
        if (!take(dialog.x) || !take(dialog.y) || !take(dialog.cx) || !take(dialog.cy)) return false;
        std::wstring menu, windowClass;
        if (!takeNameOrOrdinal(menu) || !takeNameOrOrdinal(windowClass)) return false;
        if (!takeString(dialog.caption)) return false;
        if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
            WORD weight = 0;
            BYTE italic = 0, charset = 0;
            if (!take(dialog.pointSize) || !take(weight) || !take(italic) || !take(charset)) return false;
            if (!takeString(dialog.fontName)) return false;
        }
        for (WORD i = 0; i < count; ++i) {
            TemplateItem item;
            DWORD id = 0;
            WORD extra = 0;
            pos_ = (pos_ + 3) & ~static_cast<size_t>(3);
            if (!take(helpId) || !take(item.exStyle) || !take(item.style)) return false;
            if (!take(item.x) || !take(item.y) || !take(item.cx) || !take(item.cy)) return false;
            if (!take(id) || !takeNameOrOrdinal(item.className)) return false;
            if (!takeNameOrOrdinal(item.text)) return false;
            if (!take(extra)) return false;
            pos_ += extra;
            item.id = static_cast<int>(static_cast<std::int32_t>(id));
            item.className = classNameOf(item.className);
            dialog.items.push_back(item);
        }
        return pos_ <= bytes_.size();
    }

private:
    template <typename T>
    bool take(T& value) {
        if (pos_ + sizeof(T) > bytes_.size()) return false;
        std::memcpy(&value, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }

    bool takeString(std::wstring& text) {
        text.clear();
        for (;;) {
            WORD c = 0;
            if (!take(c)) return false;
            if (c == 0) return true;
            text.push_back(static_cast<wchar_t>(c));
        }
    }

    bool takeNameOrOrdinal(std::wstring& text) {
        WORD first = 0;
        if (pos_ + sizeof(WORD) > bytes_.size()) return false;
        std::memcpy(&first, bytes_.data() + pos_, sizeof(WORD));
        if (first != 0xFFFF) return takeString(text);
        pos_ += sizeof(WORD);
        WORD ordinal = 0;
        if (!take(ordinal)) return false;
        text = L"#" + std::to_wstring(ordinal);
        return true;
    }

    static std::wstring classNameOf(std::wstring name) {
        if (name == L"#128") return L"button";
        if (name == L"#129") return L"edit";
        if (name == L"#130") return L"static";
        for (auto& c : name) c = static_cast<wchar_t>(std::towlower(c));
        return name;
    }

    const std::vector<unsigned char>& bytes_;
    size_t pos_ = 0;
};

bool loadTemplate(WORD id, DialogTemplate& dialog) {
    auto bytes = resourceBytes(RT_DIALOG, MAKEINTRESOURCEW(id), kGerman);
    return !bytes.empty() && TemplateReader(bytes).read(dialog);
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const std::wstring kHandIcon = L"#32513";

void expectItems(const std::vector<TemplateItem>& actual, const std::vector<TemplateItem>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(expected[i].id));
        const TemplateItem& a = actual[i];
        const TemplateItem& e = expected[i];
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.className, e.className);
        EXPECT_EQ(a.text, e.text);
        EXPECT_EQ(a.style, e.style | kChild);
        EXPECT_EQ(a.exStyle, e.exStyle);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
    }
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

// ---- version block ----------------------------------------------------------------

// One node of the version resource: a key, a binary value or a text, children.
struct VersionNode {
    std::wstring key;
    std::vector<unsigned char> value;  // binary values
    std::wstring text;                 // text values, without the final NUL
    std::vector<size_t> children;      // offsets of the child nodes
};

size_t alignUp(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

bool readVersionNode(const std::vector<unsigned char>& block, size_t offset, VersionNode& node) {
    auto word = [&](size_t at) {
        return static_cast<WORD>(block[at] | block[at + 1] << 8);
    };
    if (offset + 6 > block.size()) return false;
    size_t length = word(offset), valueLength = word(offset + 2), type = word(offset + 4);
    size_t end = offset + length;
    if (length < 6 || end > block.size()) return false;
    size_t at = offset + 6;
    node = VersionNode();
    for (; at + 2 <= end && word(at) != 0; at += 2) node.key.push_back(static_cast<wchar_t>(word(at)));
    at = alignUp(at + 2);
    size_t valueBytes = type == 1 ? valueLength * 2 : valueLength;
    if (at + valueBytes > end) return false;
    if (type == 1) {
        for (size_t i = 0; i < valueLength; ++i) {
            wchar_t c = static_cast<wchar_t>(word(at + 2 * i));
            if (c == 0) break;
            node.text.push_back(c);
        }
    } else {
        node.value.assign(block.begin() + static_cast<std::ptrdiff_t>(at),
                          block.begin() + static_cast<std::ptrdiff_t>(at + valueBytes));
    }
    for (at = alignUp(at + valueBytes); at + 6 <= end; at = alignUp(at + word(at))) {
        if (word(at) == 0) return false;
        node.children.push_back(at);
    }
    return true;
}

bool findVersionNode(const std::vector<unsigned char>& block, const VersionNode& from,
                     std::vector<std::wstring> path, VersionNode& found) {
    VersionNode current = from;
    for (const auto& key : path) {
        bool matched = false;
        for (size_t child : current.children) {
            VersionNode node;
            if (readVersionNode(block, child, node) && node.key == key) {
                current = node;
                matched = true;
                break;
            }
        }
        if (!matched) return false;
    }
    found = current;
    return true;
}

}  // namespace

// ---- string table -------------------------------------------------------------

TEST(ResourceStrings, EveryIdFrom202To230IsPresentInGerman) {
    for (UINT id = 202; id <= 230; ++id) {
        EXPECT_FALSE(loadString(id).empty()) << "string " << id;
    }
    // Strings live in blocks of 16; ids 202 to 230 span blocks 13 and 15.
    for (UINT block : {13u, 14u, 15u}) {
        EXPECT_NE(FindResourceExW(GetModuleHandleW(nullptr), RT_STRING, MAKEINTRESOURCEW(block), kGerman),
                  nullptr)
            << "block " << block;
    }
    EXPECT_TRUE(loadString(201).empty());
    EXPECT_TRUE(loadString(231).empty());
}

struct ExpectedString {
    UINT id;
    const wchar_t* text;
};

void PrintTo(const ExpectedString& expected, std::ostream* out) { *out << "string " << expected.id; }

class ResourceStringText : public testing::TestWithParam<ExpectedString> {};

TEST_P(ResourceStringText, MatchesExactly) {
    EXPECT_EQ(loadString(GetParam().id), GetParam().text);
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
    std::wstring jni = loadString(IDS_JNI_ERROR);
    ASSERT_EQ(jni.size(), 27u);
    EXPECT_EQ(jni.find(L'\n'), 14u);
    EXPECT_EQ(jni.find(L'\n', 15), 26u);
    std::wstring memory = loadString(IDS_JNI_REASON_ENOMEM);
    ASSERT_EQ(memory.size(), 30u);
    EXPECT_EQ(memory[9], L'\x00FC');
}

// ---- manifest and version -------------------------------------------------------

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

TEST(ResourceVersion, NamesTheProductInGerman) {
    auto block = resourceBytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), kGerman);
    VersionNode root;
    ASSERT_TRUE(readVersionNode(block, 0, root));
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, root.value.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

    VersionNode translation;
    ASSERT_TRUE(findVersionNode(block, root, {L"VarFileInfo", L"Translation"}, translation));
    ASSERT_EQ(translation.value.size(), 4u);
    EXPECT_EQ(translation.value[0] | translation.value[1] << 8, 0x0407);
    EXPECT_EQ(translation.value[2] | translation.value[3] << 8, 1200);

    auto text = [&](const wchar_t* name) {
        VersionNode node;
        if (!findVersionNode(block, root, {L"StringFileInfo", L"040704b0", name}, node)) {
            return std::wstring(L"<missing>");
        }
        return node.text;
    };
    EXPECT_EQ(text(L"FileDescription"), L"Java Application Launcher");
    EXPECT_EQ(text(L"ProductName"), L"Java Application Launcher");
    EXPECT_EQ(text(L"FileVersion"), L"1.0.0.0");
    EXPECT_EQ(text(L"OriginalFilename"), sizeof(void*) == 8 ? L"launcher64.exe" : L"launcher.exe");
}

TEST(ResourceIcon, ApplicationIconHasBothSizes) {
    HMODULE module = GetModuleHandleW(nullptr);
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        ASSERT_NE(GetObjectW(info.hbmColor, sizeof bitmap, &bitmap), 0);
        EXPECT_EQ(bitmap.bmWidth, size);
        EXPECT_EQ(bitmap.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // The group holds exactly the 16 and 32 pixel images.
    auto group = resourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), kGerman);
    ASSERT_EQ(group.size(), 6u + 2 * 14u);
    EXPECT_EQ(group[4], 2);
    EXPECT_EQ(group[6], 16);
    EXPECT_EQ(group[6 + 14], 32);
}

// ---- dialogs --------------------------------------------------------------------

TEST(ResourceDialogs, RuntimeNotFoundTemplateIsLaidOutAsDesigned) {
    DialogTemplate dialog;
    ASSERT_TRUE(loadTemplate(IDD_JRE_NOT_FOUND, dialog));
    EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                               DS_SETFONT | DS_FIXEDSYS));
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.cx, 219);
    EXPECT_EQ(dialog.cy, 145);
    EXPECT_EQ(dialog.caption, L"JRE nicht gefunden");
    EXPECT_EQ(dialog.fontName, L"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);

    expectItems(
        dialog.items,
        {
            {BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 107, 122, 50, 14, IDOK, L"button", L"Ok"},
            {BS_PUSHBUTTON | WS_TABSTOP, 0, 161, 122, 50, 14, IDCANCEL, L"button", L"Abbrechen"},
            {ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, 0, 60, 89, 91, 14,
             IDC_JRE_PATH_EDIT, L"edit", L""},
            {SS_LEFT | WS_GROUP, 0, 12, 92, 45, 8, -1, L"static", L"JRE Pfad:"},
            {BS_PUSHBUTTON | WS_TABSTOP, 0, 154, 89, 52, 14, IDC_BROWSE_BUTTON, L"button",
             L"Durchsuche..."},
            {BS_GROUPBOX, 0, 8, 11, 203, 103, -1, L"button", L"Kein JRE"},
            {SS_ICON, 0, 16, 24, 20, 20, IDC_ERROR_ICON, L"static", kHandIcon},
            {SS_LEFT | WS_GROUP, 0, 42, 24, 149, 24, IDC_JRE_MESSAGE, L"static", L""},
            {SS_LEFT | WS_GROUP, 0, 44, 55, 75, 8, IDC_DOWNLOAD_LINK, L"static",
             L"https://adoptium.net/"},
            {SS_LEFT | WS_GROUP, 0, 12, 70, 195, 17, IDC_BROWSE_HINT, L"static",
             L"Wenn Sie ein JRE installiert haben, können Sie unten danach suchen:"},
        });
}

TEST(ResourceDialogs, ExceptionTemplateIsLaidOutAsDesigned) {
    DialogTemplate dialog;
    ASSERT_TRUE(loadTemplate(IDD_JAVA_EXCEPTION, dialog));
    EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                               DS_SETFONT | DS_FIXEDSYS));
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.cx, 275);
    EXPECT_EQ(dialog.cy, 242);
    EXPECT_EQ(dialog.caption, L"Java Fehler");
    EXPECT_EQ(dialog.fontName, L"MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);

    expectItems(
        dialog.items,
        {
            {BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 153, 210, 50, 14, IDOK, L"button", L"Ignorieren"},
            {BS_PUSHBUTTON | WS_TABSTOP, 0, 209, 210, 50, 14, IDCANCEL, L"button", L"Stop"},
            {BS_GROUPBOX, WS_EX_TRANSPARENT, 8, 11, 259, 221, IDC_EXCEPTION_GROUP, L"button",
             L"Unbehandelte Ausnahme"},
            {SS_ICON, 0, 16, 26, 20, 20, IDC_ERROR_ICON, L"static", kHandIcon},
            {SS_LEFT | WS_GROUP, 0, 42, 28, 217, 16, IDC_EXCEPTION_HEADING, L"static",
             L"Der Javaprozess hat die folgende unbehandelte Ausnahme ausgegeben:"},
            {ES_MULTILINE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, 0, 16, 54, 243, 102,
             IDC_STACK_TRACE_EDIT, L"edit", L""},
            {SS_LEFT | WS_GROUP, 0, 16, 164, 243, 18, IDC_EXCEPTION_HINT, L"static",
             L"Klicken Sie auf Ignorieren, um fortzufahren und die Ausnahme zu übergehen oder "
             L"Stop, um die Anwendung zu schließen."},
            {SS_LEFT | WS_GROUP, 0, 16, 187, 243, 18, IDC_EXCEPTION_WARNING, L"static",
             L"Achtung: Wenn Sie die Anwendung anhalten, gehen alle nicht gespeicherten Daten "
             L"verloren."},
        });
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
