#include "util/AnsiText_win.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Runs the calling thread with another locale until destroyed.
class ThreadLocaleScope {
public:
    explicit ThreadLocaleScope(LANGID language) : previous_(GetThreadLocale()) {
        SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    }
    ~ThreadLocaleScope() { SetThreadLocale(previous_); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    LCID previous_;
};

}  // namespace

TEST(AnsiText, UmlautsRoundTripInTheThreadCodePage) {
    ThreadLocaleScope german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    const std::wstring wide = L"Grüße aus Köln, Äpfel";
    const std::string ansi = toAnsi(wide);
    EXPECT_EQ(ansi, "Gr\xFC\xDF" "e aus K\xF6ln, \xC4pfel");
    EXPECT_EQ(fromAnsi(ansi.c_str()), wide);
}

TEST(AnsiText, FollowsTheThreadLocaleNotTheProcessCodePage) {
    ThreadLocaleScope russian(MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA));
    EXPECT_EQ(toAnsi(L"Жук"), "\xC6\xF3\xEA");
    EXPECT_EQ(fromAnsi("\xC6\xF3\xEA"), L"Жук");
}

TEST(AnsiText, EmptyAndNullGiveEmpty) {
    EXPECT_EQ(fromAnsi(nullptr), L"");
    EXPECT_EQ(fromAnsi(""), L"");
    EXPECT_EQ(toAnsi(L""), "");
}
