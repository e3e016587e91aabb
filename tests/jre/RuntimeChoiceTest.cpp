#include "jre/RuntimeChoice.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Homes and the VM libraries in them; x64 ones are foreign to this process.
struct Machine {
    std::set<std::wstring> files;
    std::set<std::wstring> foreign;
    std::optional<RegisteredRuntime> own;
    std::optional<RegisteredRuntime> view64;

    void runtime(const std::wstring& home, bool x64 = false, bool javaDll = false) {
        files.insert(home + L"bin\\client\\jvm.dll");
        if (x64) foreign.insert(home + L"bin\\client\\jvm.dll");
        if (javaDll) files.insert(home + L"bin\\java.dll");
    }
    RuntimeProbes probes() const {
        RuntimeProbes p;
        p.exists = [this](const std::wstring& path) { return files.count(path) > 0; };
        p.isForeignImage = [this](const std::wstring& path) { return foreign.count(path) > 0; };
        // A scan passes over what passOver calls foreign, as the real one does.
        p.registry = [this](bool view64Wanted, const ForeignImageProbe& passOver) {
            std::optional<RegisteredRuntime> listed = view64Wanted ? view64 : own;
            if (listed && passOver && passOver(listed->home + L"bin\\client\\jvm.dll")) listed.reset();
            return listed;
        };
        return p;
    }
};

RuntimeRequest request(bool pairProduct = false) {
    RuntimeRequest r;
    r.executableFolder = L"C:\\App\\";
    r.pairProductConfigured = pairProduct;
    return r;
}

}  // namespace

TEST(RuntimeChoice, SourcesInOrder) {
    Machine machine;
    machine.runtime(L"C:\\stored\\");
    machine.runtime(L"C:\\App\\jre\\", false, true);
    machine.own = RegisteredRuntime{L"C:\\registered\\", VendorFamily::javaSoft};
    machine.runtime(L"C:\\registered\\");

    RuntimeRequest r = request();
    r.jrePath = L"C:\\stored";
    auto choice = chooseRuntime(r, machine.probes());
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->jvmPath, L"C:\\stored\\bin\\client\\jvm.dll");
    EXPECT_EQ(choice->source, RuntimeSource::storedFolder);

    r.jrePath = L"C:\\gone";
    choice = chooseRuntime(r, machine.probes());
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->source, RuntimeSource::besideExecutable);
    EXPECT_EQ(choice->jvmPath, L"C:\\App\\jre\\bin\\client\\jvm.dll");

    machine.files.erase(L"C:\\App\\jre\\bin\\client\\jvm.dll");
    choice = chooseRuntime(r, machine.probes());
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->source, RuntimeSource::registry);

    machine.own.reset();
    EXPECT_FALSE(chooseRuntime(r, machine.probes()));
}

TEST(RuntimeChoice, EveryForeignRuntimeGoesToThePairProduct) {
    Machine machine;
    machine.runtime(L"C:\\stored64\\", true);
    machine.runtime(L"C:\\App\\jre\\", true, true);

    RuntimeRequest r = request(true);
    r.jrePath = L"C:\\stored64\\";
    EXPECT_TRUE(chooseRuntime(r, machine.probes())->handOverToPair);
    // A runtime beside the executable too: otherwise the load fails with 193.
    r.jrePath.clear();
    auto beside = chooseRuntime(r, machine.probes());
    ASSERT_TRUE(beside);
    EXPECT_EQ(beside->source, RuntimeSource::besideExecutable);
    EXPECT_TRUE(beside->handOverToPair);
    // Without a pair product nothing is handed over.
    EXPECT_FALSE(chooseRuntime(request(false), machine.probes())->handOverToPair);
}

TEST(RuntimeChoice, SixtyFourBitRegistryOnlyWithAPairProduct) {
    Machine machine;
    machine.view64 = RegisteredRuntime{L"C:\\x64\\", VendorFamily::javaSoft};
    machine.runtime(L"C:\\x64\\", true);
    EXPECT_FALSE(chooseRuntime(request(false), machine.probes()));
    auto choice = chooseRuntime(request(true), machine.probes());
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->source, RuntimeSource::registry64);
    EXPECT_TRUE(choice->handOverToPair);
}

TEST(RuntimeChoice, OnlyIbmRegisteredRuntimesKeepTheMainThread) {
    Machine machine;
    machine.runtime(L"C:\\ibm\\");
    machine.own = RegisteredRuntime{L"C:\\ibm\\", VendorFamily::ibm, true};
    auto ibm = chooseRuntime(request(), machine.probes());
    ASSERT_TRUE(ibm);
    EXPECT_TRUE(keepsMainThreadAlive(*ibm));
    // An OpenJ9 build of today counts as IBM's family, but leaves as others do.
    machine.own = RegisteredRuntime{L"C:\\ibm\\", VendorFamily::ibm, false};
    EXPECT_FALSE(keepsMainThreadAlive(*chooseRuntime(request(), machine.probes())));

    machine.own = RegisteredRuntime{L"C:\\ibm\\", VendorFamily::javaSoft};
    EXPECT_FALSE(keepsMainThreadAlive(*chooseRuntime(request(), machine.probes())));
    RuntimeRequest stored = request();
    stored.jrePath = L"C:\\ibm\\";
    EXPECT_FALSE(keepsMainThreadAlive(*chooseRuntime(stored, machine.probes())));
}

TEST(RuntimeChoice, PerUserRuntimeOfTheOtherProcessorGoesOnlyToThePairProduct) {
    // HKEY_CURRENT_USER lists it in both views.
    Machine machine;
    const std::wstring temurin = L"C:\\Users\\\u041e\u043b\u044f\\AppData\\Local\\Programs\\jdk-21\\";
    machine.runtime(temurin, true);
    machine.own = machine.view64 = RegisteredRuntime{temurin, VendorFamily::javaSoft};
    EXPECT_FALSE(chooseRuntime(request(false), machine.probes()));
    auto choice = chooseRuntime(request(true), machine.probes());
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->source, RuntimeSource::registry64);
    EXPECT_TRUE(choice->handOverToPair);
}
