#include "util/PeImageProbe_win.h"

#include "util/FileSystem_win.h"
#include "util/PeImage.h"
#include "util/PeImageBuilder.h"
#include "util/TempFolder_win.h"

#include <gtest/gtest.h>

namespace {

bool writeBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    return writeFile(path, bytes.data(), static_cast<DWORD>(bytes.size()));
}

std::wstring systemFolder(UINT (WINAPI* get)(LPWSTR, UINT)) {
    wchar_t folder[MAX_PATH + 1];
    const UINT length = get(folder, MAX_PATH + 1);
    return length == 0 || length > MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

}  // namespace

TEST(PeImageProbe, OwnExecutableIsNative) {
    DWORD error = ERROR_SUCCESS;
    const std::wstring path = moduleFileName(nullptr, error);
    ASSERT_FALSE(path.empty());
    EXPECT_FALSE(isForeignArchitectureImage(path));
}

TEST(PeImageProbe, ForeignMeansOtherThanThisBuild) {
    TempFolder temp;
    ASSERT_TRUE(writeBytes(temp / L"x86.dll", buildPeImage(kMachineX86)));
    ASSERT_TRUE(writeBytes(temp / L"x64.dll", buildPeImage(kMachineAmd64)));
    ASSERT_TRUE(writeBytes(temp / L"arm64.dll", buildPeImage(kMachineArm64)));
    EXPECT_EQ(isForeignArchitectureImage(temp / L"x86.dll"), ownImageMachine() != kMachineX86);
    EXPECT_EQ(isForeignArchitectureImage(temp / L"x64.dll"), ownImageMachine() != kMachineAmd64);
    EXPECT_TRUE(isForeignArchitectureImage(temp / L"arm64.dll"));
}

TEST(PeImageProbe, RealSystemDllsOfBothArchitectures) {
    // In a 64-bit system the x86 DLLs lie in the WOW64 folder; the x64 ones in
    // System32, which a 32-bit process reaches only as "Sysnative".
    const std::wstring wow64 = systemFolder(GetSystemWow64DirectoryW);
    if (wow64.empty()) GTEST_SKIP() << "32-bit system: no x64 DLLs to compare with";
    if (GetFileAttributesW((wow64 + L"\\kernel32.dll").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "a 64-bit Wine without its 32-bit half: no x86 DLLs to compare with";
    const std::wstring native = ownImageMachine() == kMachineX86
                                    ? systemFolder(GetWindowsDirectoryW) + L"\\Sysnative"
                                    : systemFolder(GetSystemDirectoryW);
    TempFolder temp;
    ASSERT_TRUE(CopyFileW((wow64 + L"\\kernel32.dll").c_str(), (temp / L"x86.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((native + L"\\kernel32.dll").c_str(), (temp / L"x64.dll").c_str(), FALSE));
    EXPECT_EQ(isForeignArchitectureImage(temp / L"x86.dll"), ownImageMachine() != kMachineX86);
    EXPECT_EQ(isForeignArchitectureImage(temp / L"x64.dll"), ownImageMachine() != kMachineAmd64);
}

TEST(PeImageProbe, UnreadableOrMalformedFilesAreNotForeign) {
    TempFolder temp;
    const char text[] = "[Application]\r\nMain Class=com.example.App\r\n";
    ASSERT_TRUE(writeFile(temp / L"text.dll", text, sizeof text - 1));
    ASSERT_TRUE(writeFile(temp / L"empty.dll", "", 0));
    auto foreign = buildPeImage(ownImageMachine() == kMachineX86 ? kMachineAmd64 : kMachineX86);
    foreign.resize(0x80 + 4 + 19);  // the file header cut short
    ASSERT_TRUE(writeBytes(temp / L"truncated.dll", foreign));
    ASSERT_TRUE(CreateDirectoryW((temp / L"folder.dll").c_str(), nullptr));

    EXPECT_FALSE(isForeignArchitectureImage(temp / L"text.dll"));
    EXPECT_FALSE(isForeignArchitectureImage(temp / L"empty.dll"));
    EXPECT_FALSE(isForeignArchitectureImage(temp / L"truncated.dll"));
    EXPECT_FALSE(isForeignArchitectureImage(temp / L"folder.dll"));
    EXPECT_FALSE(isForeignArchitectureImage(temp / L"missing.dll"));

    // A foreign image held open without read sharing cannot be examined.
    foreign = buildPeImage(ownImageMachine() == kMachineX86 ? kMachineAmd64 : kMachineX86);
    ASSERT_TRUE(writeBytes(temp / L"locked.dll", foreign));
    ASSERT_TRUE(isForeignArchitectureImage(temp / L"locked.dll"));
    UniqueFile lock(CreateFileW((temp / L"locked.dll").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_FALSE(isForeignArchitectureImage(temp / L"locked.dll"));
}
