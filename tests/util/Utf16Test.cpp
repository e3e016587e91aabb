#include "util/Utf16.h"

#include <gtest/gtest.h>

TEST(Utf16, RoundTripsEveryPlane) {
    std::wstring text = L"a\u00e4\u20ac";
    text += static_cast<wchar_t>(0xE9);
    std::u16string units = toUtf16(text);
    EXPECT_EQ(units, (std::u16string{u'a', u'\u00e4', u'\u20ac', u'\u00e9'}));
    EXPECT_EQ(fromUtf16(units.data(), units.size()), text);

    // U+1F600 is one wchar_t on Linux and a surrogate pair on Windows; both
    // give the same two UTF-16 units.
    std::u16string face = toUtf16(fromUtf16(u"\U0001F600", 2));
    EXPECT_EQ(face, std::u16string(u"\U0001F600"));
}

TEST(Utf16, DecodesModifiedUtf8) {
    EXPECT_EQ(fromModifiedUtf8("com/example/App"), L"com/example/App");
    // Umlaut (two bytes), euro sign (three bytes), and U+0000 as C0 80.
    std::wstring decoded = fromModifiedUtf8("\xC3\xA4\xE2\x82\xAC\xC0\x80x");
    EXPECT_EQ(decoded, std::wstring(L"\u00e4\u20ac") + L'\0' + L"x");
    // A supplementary character arrives as two encoded surrogates.
    std::wstring face = fromModifiedUtf8("\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(toUtf16(face), std::u16string(u"\U0001F600"));
    // Cut or stray bytes never read past the end.
    EXPECT_EQ(fromModifiedUtf8("\xE2\x82"), L"\uFFFD\uFFFD");
    EXPECT_EQ(fromModifiedUtf8("\x80" "a"), L"\uFFFDa");
}
