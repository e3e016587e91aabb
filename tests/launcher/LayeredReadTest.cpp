#include "launcher/LayeredRead.h"

#include <gtest/gtest.h>

namespace {

// Reads like a profile file: "" for a missing key.
struct FileReader {
    IniTextStore file;
    std::wstring operator()(const std::wstring& section, const std::wstring& key) {
        std::wstring value;
        file.readString(section, key, value);
        return value;
    }
};

std::wstring layered(const std::wstring& baseText, const std::wstring& fileText,
                     const std::wstring& key = L"Minimum Version") {
    IniTextStore base;
    base.loadText(baseText);
    FileReader reader;
    reader.file.loadText(fileText);
    return layeredValue(base, L"Java Runtime Environment", key, reader);
}

}  // namespace

TEST(LayeredRead, FileValueReplacesTheBase) {
    EXPECT_EQ(layered(L"[Java Runtime Environment]\r\nMinimum Version=1.6\r\n",
                      L"[Java Runtime Environment]\r\nMinimum Version=11\r\n"),
              L"11");
}

TEST(LayeredRead, PlusSectionExtendsTheBase) {
    EXPECT_EQ(layered(L"[Java Runtime Environment]\r\nMinimum Version=-Xmx1g\r\n",
                      L"[Java Runtime Environment+]\r\nMinimum Version=-Dx=1\r\n"),
              L"-Xmx1g -Dx=1");
    // No second space when the extension brings one (the profile API keeps
    // a leading blank that stood inside quotes).
    IniTextStore base;
    base.loadText(L"[S]\r\nk=a\r\n");
    auto quotedExtension = [](const std::wstring& section, const std::wstring&) {
        return section == L"S+" ? std::wstring(L" b") : std::wstring();
    };
    EXPECT_EQ(layeredValue(base, L"S", L"k", quotedExtension), L"a b");
}

TEST(LayeredRead, PlusSectionAloneGivesALeadingSpace) {
    EXPECT_EQ(layered(L"", L"[Java Runtime Environment+]\r\nMinimum Version=1.6\r\n"), L" 1.6");
}

TEST(LayeredRead, BaseValueAloneAndNothingAtAll) {
    EXPECT_EQ(layered(L"[Java Runtime Environment]\r\nMinimum Version=1.8\r\n", L""), L"1.8");
    EXPECT_EQ(layered(L"", L""), L"");
    // The plus section is consulted only when the file has no value of its own.
    EXPECT_EQ(layered(L"", L"[Java Runtime Environment]\r\nMinimum Version=9\r\n"
                           L"[Java Runtime Environment+]\r\nMinimum Version=10\r\n"),
              L"9");
}
