#include "launcher/IniTextStore.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::wstring>;

// The value of section/key, or "<absent>" when the pair is not found.
std::wstring lookup(const IniTextStore& store, const std::wstring& section, const std::wstring& key) {
    std::wstring value = L"<absent>";
    store.find(section, key, value);
    return value;
}

Names sectionNames(IniTextStore& store) {
    Names names{L"stale"};
    store.readSectionNames(names);
    return names;
}

TEST(IniTextStore, ReadsHeadersAsWritten) {
    IniTextStore store;
    store.loadText(L"\uFEFF[Java Runtime Environment]\r\n"
                   L"\t[ Display ] \t\r\n"
                   L"[Application]x\r\n"
                   L"[]\r\n"
                   L"[a]b]\r\n");
    // "[Application]x" does not end in "]" and holds no "=": it is ignored.
    EXPECT_EQ(sectionNames(store), (Names{L"Java Runtime Environment", L" Display ", L"", L"a]b"}));
}

TEST(IniTextStore, KeysAndValues) {
    IniTextStore store;
    store.loadText(L"Main Class=before.First\r\n"
                   L"[App]\r\n"
                   L"  Main Class \t=  com.example.App  \r\n"
                   L";Cmd=-x\r\n"
                   L"Class Path=a=b;c\r\n"
                   L"Empty=\r\n"
                   L"no equals sign\r\n"
                   L"Split=one\ntwo=2\r\n");
    EXPECT_EQ(lookup(store, L"App", L"Main Class"), L"com.example.App");
    EXPECT_EQ(lookup(store, L"App", L";Cmd"), L"-x");
    EXPECT_EQ(lookup(store, L"App", L"Class Path"), L"a=b;c");
    EXPECT_EQ(lookup(store, L"App", L"Empty"), L"");
    // A lone LF does not end the line: the rest belongs to the value.
    EXPECT_EQ(lookup(store, L"App", L"Split"), L"one\ntwo=2");
    EXPECT_EQ(lookup(store, L"App", L"two"), L"<absent>");
    EXPECT_EQ(lookup(store, L"App", L"Cmd"), L"<absent>");
}

TEST(IniTextStore, FirstMatchWinsAndCaseMatters) {
    IniTextStore store;
    store.loadText(L"[A]\r\nk=1\r\nk=2\r\n[B]\r\nk=3\r\n[A]\r\nk=4\r\nonly=5\r\n[A] note\r\nlate=6");
    EXPECT_EQ(lookup(store, L"A", L"k"), L"1");
    EXPECT_EQ(lookup(store, L"B", L"k"), L"3");
    EXPECT_EQ(lookup(store, L"A", L"only"), L"<absent>");
    // "[A] note" is no header, so "late" lands in the current, repeated A.
    EXPECT_EQ(lookup(store, L"A", L"late"), L"<absent>");
    EXPECT_EQ(lookup(store, L"a", L"k"), L"<absent>");
    EXPECT_EQ(lookup(store, L"A", L"K"), L"<absent>");
    EXPECT_EQ(sectionNames(store), (Names{L"A", L"B", L"A"}));
}

TEST(IniTextStore, LoadingReplacesContents) {
    IniTextStore store;
    store.loadText(L"[A]\r\nk=1");
    store.loadText(L"k=2\r\n[B]");
    EXPECT_EQ(lookup(store, L"A", L"k"), L"<absent>");
    EXPECT_EQ(sectionNames(store), Names{L"B"});
    store.loadText(L"");
    EXPECT_TRUE(sectionNames(store).empty());
}

TEST(IniTextStore, ReadStringLeavesValueWhenAbsent) {
    IniTextStore store;
    store.loadText(L"[A]\r\nk=");
    std::wstring value = L"default";
    store.readString(L"A", L"missing", value);
    EXPECT_EQ(value, L"default");
    store.readString(L"A", L"k", value);
    EXPECT_EQ(value, L"");
}

TEST(IniTextStore, WriteAppendsWithoutReplacing) {
    IniTextStore store;
    store.loadText(L"[A]\r\nk=1\r\n[B]\r\n[A]");
    EXPECT_TRUE(store.writeString(L"A", L"k", L"2"));
    EXPECT_TRUE(store.writeString(L"A", L"new", L"3"));
    EXPECT_TRUE(store.writeString(L"C", L"k", L"4"));
    EXPECT_EQ(lookup(store, L"A", L"k"), L"1");
    EXPECT_EQ(lookup(store, L"A", L"new"), L"3");
    EXPECT_EQ(lookup(store, L"C", L"k"), L"4");
    EXPECT_EQ(sectionNames(store), (Names{L"A", L"B", L"A", L"C"}));
}

TEST(IniTextStore, NoFileBehindIt) {
    IniTextStore store;
    store.loadText(L"[A]\r\nk=1");
    unsigned char buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(store.probeReadable(buffer), 1u);
    EXPECT_EQ(buffer[0] | buffer[1] | buffer[2] | buffer[3], 0);
    EXPECT_FALSE(store.deleteFile());
    EXPECT_EQ(lookup(store, L"A", L"k"), L"1");
}

}  // namespace
