// Executables made by the branding tool at build time (see tests/CMakeLists.txt:
// Branded.exe with icon, version, manifest, embedded settings and its 64-bit
// pair; English.exe with the English texts only), read as Windows reads them
// and started as a user starts them.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring kBranded = L"" LAUNCHER_BRANDED_DIR L"\\Branded.exe";
const std::wstring kEnglish = L"" LAUNCHER_BRANDED_DIR L"\\English.exe";

// A version string of the file, looked up through the language it declares.
std::wstring versionString(const std::vector<char>& block, const wchar_t* name) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof(Translation))
        return L"<no translation>";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &size)) return L"<none>";
    return std::wstring(value, size > 0 ? size - 1 : 0);
}

std::vector<char> versionBlock(const std::wstring& file) {
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(file.c_str(), &ignored));
    if (block.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        block.clear();
    return block;
}

// The colour at the centre of an icon, as 0xRRGGBB.
unsigned centreColour(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0xFFFFFFFF;
    UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels.empty() ? 0xFFFFFFFF : pixels[pixels.size() / 2 + bitmap.bmWidth / 2] & 0xFFFFFF;
}

ACTCTX_REQUESTED_RUN_LEVEL requestedRunLevel(const std::wstring& file) {
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = file.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE handle = CreateActCtxW(&context);
    if (handle == INVALID_HANDLE_VALUE) return ACTCTX_RUN_LEVEL_NUMBERS;
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    SIZE_T written = 0;
    const BOOL read = QueryActCtxW(0, handle, nullptr, RunlevelInformationInActivationContext, &level, sizeof level,
                                   &written);
    ReleaseActCtx(handle);
    return read ? level.RunLevel : ACTCTX_RUN_LEVEL_NUMBERS;
}

}  // namespace

TEST(Branded, WindowsShowsItsVersionInformationAndIcon) {
    const std::vector<char> block = versionBlock(kBranded);
    ASSERT_FALSE(block.empty()) << GetLastError();
    EXPECT_EQ(versionString(block, L"ProductName"), L"\u0141\u00f3d\u017a Tools \u88fd\u54c1");
    EXPECT_EQ(versionString(block, L"ProductVersion"), L"1.2.3-SNAPSHOT");
    EXPECT_EQ(versionString(block, L"CompanyName"), L"Example Corp");
    EXPECT_EQ(versionString(block, L"OriginalFilename"), L"Branded.exe");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00030000u);

    EXPECT_EQ(ExtractIconExW(kBranded.c_str(), -1, nullptr, nullptr, 0), 1u);
    HICON large = nullptr, small = nullptr;
    ASSERT_EQ(ExtractIconExW(kBranded.c_str(), 0, &large, &small, 1), 2u);
    // The test picture's orange square, not the launcher's own icon.
    EXPECT_EQ(centreColour(large), 0xFFB300u);
    EXPECT_EQ(centreColour(small), 0xFFB300u);
    DestroyIcon(large);
    DestroyIcon(small);
}

TEST(Branded, WindowsReadsTheRequestedExecutionLevel) {
    EXPECT_EQ(requestedRunLevel(kBranded), ACTCTX_RUN_LEVEL_HIGHEST_AVAILABLE);
    EXPECT_EQ(requestedRunLevel(kEnglish), ACTCTX_RUN_LEVEL_AS_INVOKER);
}

TEST(Branded, EmbeddedSettingsRunTheApplicationAndTheFileBesideStillDecides) {
    AppFolder app(L"Tools.exe", kBranded);
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    ASSERT_TRUE(layOutRealJava(app.appPath())) << "the real VM or its jars were not built";
    auto start = [&] {
        RunOptions options;
        options.arguments = L"properties app.origin app.extra";
        options.appData = app.appDataPath();
        options.timeoutMs = 60000;
        RunResult run = runProgram(app.exePath(), options);
        EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
        EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
        return readFileBytes(app.appPath() + L"\\out.log");
    };
    // No INI file: the embedded one alone starts the application.
    EXPECT_EQ(start(), "app.origin: " + units(L"embedded") + "\r\napp.extra: " + units(L"null") + "\r\n");
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nVirtual Machine Parameters=-Dapp.origin=beside\n"));
    EXPECT_EQ(start(), "app.origin: " + units(L"beside") + "\r\napp.extra: " + units(L"null") + "\r\n");
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment+]\nVirtual Machine Parameters=-Dapp.extra=added\n"));
    EXPECT_EQ(start(), "app.origin: " + units(L"embedded") + "\r\napp.extra: " + units(L"added") + "\r\n");
}

TEST(Branded, BoxesAndDialogsSpeakEnglish) {
    AppFolder app(L"English.exe", kEnglish);
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    RunOptions options;
    options.appData = app.appDataPath();
    RunResult run = runProgram(app.exePath(), options);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_EQ(run.dialogs[0].text, L"The main class is not specified in the INI file.") << describeRun(run);

    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\nMinimum Version=99\n"
                             L"[Class Path]\nClass Path=\\lib\\*.jar\n"));
    std::wstring browse;
    options.answer = [&](HWND dialog, const SeenDialog& seen) {
        browse = windowText(GetDlgItem(dialog, 202));
        return pressOkOrCancel(dialog, seen);
    };
    run = runProgram(app.exePath(), options);
    ASSERT_FALSE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.dialogs[0].caption, L"JRE not found") << describeRun(run);
    EXPECT_EQ(browse, L"Browse...");
}
