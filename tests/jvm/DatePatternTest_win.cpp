#include "jvm/DatePattern_win.h"

#include <gtest/gtest.h>

namespace {

SYSTEMTIME fixedTime(WORD milliseconds) {
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = 7;
    time.wDayOfWeek = 6;
    time.wHour = 14;
    time.wMinute = 5;
    time.wSecond = 9;
    time.wMilliseconds = milliseconds;
    return time;
}

std::wstring expanded(std::wstring name, WORD milliseconds = 0) {
    expandDatePattern(name, fixedTime(milliseconds));
    return name;
}

}  // namespace

TEST(DatePattern, DateAndTimeBetweenThePercentSigns) {
    EXPECT_EQ(expanded(L"C:\\logs\\app-%yyyyMMdd-HHmmss%.log"), L"C:\\logs\\app-20260307-140509.log");
    // One picture from the first to the last "%": the signs between are text.
    EXPECT_EQ(expanded(L"%yyyy%\\%MM%.log"), L"2026%\\%03.log");
}

TEST(DatePattern, MillisecondsWithoutPadding) {
    EXPECT_EQ(expanded(L"out-%HHmmss.L%.log", 5), L"out-140509.5.log");
    EXPECT_EQ(expanded(L"out-%HHmmss.L%.log", 123), L"out-140509.123.log");
}

TEST(DatePattern, NamesWithoutPatternStayAsTheyAre) {
    EXPECT_EQ(expanded(L"C:\\logs\\app.log"), L"C:\\logs\\app.log");
}
