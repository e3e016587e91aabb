#include "launcher/IniTextStore.h"
#include "launcher/StartPlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

// C:\App\Tool.exe started from C:\Work on a machine whose files, foreign
// (x64) VM libraries and registered runtimes a test sets up.
struct Machine {
    std::set<std::wstring> files;
    std::set<std::wstring> foreign;
    std::optional<RegisteredRuntime> own, view64;
    int registryReads = 0;

    std::wstring runtime(const std::wstring& home, bool x64 = false) {
        const std::wstring jvm = home + L"bin\\client\\jvm.dll";
        files.insert(jvm);
        if (x64) foreign.insert(jvm);
        return jvm;
    }
    StartFacts facts(std::vector<std::wstring> arguments = {}) {
        StartFacts f;
        f.executablePath = L"C:\\App\\Tool.exe";
        f.currentFolder = L"C:\\Work";
        f.arguments = std::move(arguments);
        f.probes.exists = [this](const std::wstring& path) { return files.count(path) > 0; };
        f.probes.isForeignImage = [this](const std::wstring& path) { return foreign.count(path) > 0; };
        f.probes.registry = [this](bool wants64, const ForeignImageProbe&) {
            ++registryReads;
            return wants64 ? view64 : own;
        };
        f.list = [](const std::wstring&) { return std::vector<FoundFile>{{L"app.jar"}}; };
        return f;
    }
};

// The settings of an INI text, read as a start reads them.
LauncherSettings settingsOf(const std::wstring& runtimeKeys, const std::wstring& more = L"") {
    struct Sources : SettingsSources {
        IniTextStore file;
        SettingsStore& configFile() override { return file; }
        SettingsStore& layered(const std::wstring&) override { return file; }
        SettingsStore* userFile(const std::wstring&, const std::wstring&) override { return nullptr; }
    } sources;
    std::wstring text;
    for (wchar_t c : L"[Java Runtime Environment]\nMain Class=com.example.App\n" + runtimeKeys +
                         L"[Class Path]\nClass Path=\\lib\\*.jar\n" + more)
        text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    sources.file.loadText(text);
    LauncherSettings settings;
    EXPECT_TRUE(readSettings(sources, settings));
    return settings;
}

}  // namespace

TEST(StartPlan, LaterStartNeedsNoRuntime) {
    Machine machine;
    StartFacts facts = machine.facts();
    facts.instanceRole = InstanceRole::later;
    EXPECT_EQ(planStart(settingsOf(L""), facts).route, StartRoute::laterStart);
    EXPECT_EQ(machine.registryReads, 0);
}

TEST(StartPlan, NoRuntimeAsksTheUserAndThePickIsPlannedLikeAnyOther) {
    Machine machine;
    const LauncherSettings settings = settingsOf(L"");
    StartFacts facts = machine.facts();
    EXPECT_EQ(planStart(settings, facts).route, StartRoute::askUser);

    facts.pickedJvmPath = machine.runtime(L"D:\\Picked\\");
    const StartPlan plan = planStart(settings, facts);
    EXPECT_EQ(plan.route, StartRoute::startJava);
    EXPECT_EQ(plan.runtime.source, RuntimeSource::user);
    ASSERT_FALSE(plan.java.environment.empty());
    EXPECT_EQ(plan.java.environment[0].value, L"D:\\Picked\\bin\\client\\jvm.dll");
}

TEST(StartPlan, JavaStartInTheConfiguredOrder) {
    Machine machine;
    machine.runtime(L"C:\\App\\jre\\");
    machine.files.insert(L"C:\\App\\jre\\bin\\java.dll");
    const StartPlan plan =
        planStart(settingsOf(L"Virtual Machine Parameters=-Xmx64m -Dmode=%OS%\n",
                             L"[Display]\nSplash Screen=splash.png\nSplash Screen Shadow=true\n"
                             L"[Application]\nOverride WorkingDir=Yes\nCmd=extra\n"),
                  machine.facts({L"file.txt"}));
    ASSERT_EQ(plan.route, StartRoute::startJava);
    EXPECT_EQ(plan.runtime.source, RuntimeSource::besideExecutable);
    EXPECT_EQ(plan.workingFolder, L"C:\\App");
    EXPECT_EQ(plan.java.options,
              (std::vector<std::wstring>{L"-Djava.class.path=C:\\App\\lib\\app.jar;", L"-Xmx64m", L"-Dmode=%OS%"}));
    EXPECT_EQ(plan.java.main.arguments, (std::vector<std::wstring>{L"file.txt", L"extra"}));
    EXPECT_EQ(plan.splash.image, L"splash.png");
    EXPECT_TRUE(plan.splash.shadow);
    // Output files and every other relative name are planned in the folder
    // the start moves to.
    EXPECT_EQ(planStart(settingsOf(L"", L"[Application]\nOverride WorkingDir=Yes\nOutput File=out.log\n"),
                        machine.facts())
                  .java.streams.outputFile,
              L"C:\\App\\out.log");
}

TEST(StartPlan, NoSplashArgumentLeavesThePictureOut) {
    Machine machine;
    machine.runtime(L"C:\\rt\\");
    const LauncherSettings settings = settingsOf(L"JRE Path=C:\\rt\n", L"[Display]\nSplash Screen=s.png\n");
    EXPECT_TRUE(planStart(settings, machine.facts({L"-nosplash"})).splash.image.empty());
    EXPECT_EQ(planStart(settings, machine.facts({L"-NOSPLASH"})).splash.image, L"s.png");
}

TEST(StartPlan, RelativeStoredFolderIsTheOneInTheWorkingFolder) {
    Machine machine;
    machine.runtime(L"C:\\Work\\rt\\");
    machine.runtime(L"C:\\App\\rt\\");
    EXPECT_EQ(planStart(settingsOf(L"JRE Path=rt\n"), machine.facts()).runtime.jvmPath,
              L"C:\\Work\\rt\\bin\\client\\jvm.dll");
    EXPECT_EQ(planStart(settingsOf(L"JRE Path=rt\n", L"[Application]\nOverride WorkingDir=Yes\n"), machine.facts())
                  .runtime.jvmPath,
              L"C:\\App\\rt\\bin\\client\\jvm.dll");
}

TEST(StartPlan, RuntimeOfTheOtherProcessorGoesToThePairProduct) {
    Machine machine;
    machine.runtime(L"C:\\rt64\\", true);
    const StartPlan plan = planStart(
        settingsOf(L"JRE Path=C:\\rt64\n", L"[Application]\nPair Product=Tool64.exe\nPair Return Code=Yes\n"),
        machine.facts());
    EXPECT_EQ(plan.route, StartRoute::handOver);
    // Beside the executable, whatever the working folder (C:\Work) is.
    EXPECT_EQ(plan.pair.program, L"C:\\App\\Tool64.exe");
    EXPECT_TRUE(plan.pair.waitForExit);
}

TEST(StartPlan, StoredFolderOfTheOtherProcessorWithoutPairProductAsksAgain) {
    Machine machine;
    machine.runtime(L"C:\\rt64\\", true);
    EXPECT_EQ(planStart(settingsOf(L"JRE Path=C:\\rt64\n"), machine.facts()).route, StartRoute::askUser);
}

TEST(StartPlan, HandOverThatWouldNeverEndIsRefused) {
    Machine machine;
    machine.runtime(L"C:\\rt64\\", true);
    // The launcher named as its own pair product, in any spelling.
    for (const wchar_t* self : {L"C:\\App\\Tool.exe", L"c:/app/TOOL.EXE", L"C:\\App\\TOOL~1.EXE"}) {
        StartFacts facts = machine.facts();
        facts.sameFile = [](const std::wstring& a, const std::wstring&) { return a == L"C:\\App\\TOOL~1.EXE"; };
        const StartPlan plan =
            planStart(settingsOf(L"JRE Path=C:\\rt64\n", std::wstring(L"[Application]\nPair Product=") + self + L"\n"),
                      facts);
        EXPECT_EQ(plan.route, StartRoute::refuse) << self;
        EXPECT_EQ(plan.refusal, StartRefusal::pairProductIsThisExecutable) << self;
    }
    // A sibling started by a hand-over does not hand over again.
    StartFacts facts = machine.facts();
    facts.handedOverBy = L"C:\\App\\Tool64.exe";
    const StartPlan plan =
        planStart(settingsOf(L"JRE Path=C:\\rt64\n", L"[Application]\nPair Product=C:\\App\\Tool64.exe\n"), facts);
    EXPECT_EQ(plan.route, StartRoute::refuse);
    EXPECT_EQ(plan.refusal, StartRefusal::pairProductHandsBack);
}

TEST(StartPlan, TraceNamesTheRouteTheRuntimeAndEveryOption) {
    Machine machine;
    machine.runtime(L"C:\\rt\\");
    const std::vector<std::wstring> lines =
        describeStartPlan(planStart(settingsOf(L"JRE Path=C:\\rt\n"), machine.facts({L"a"})));
    const std::vector<std::wstring> expected = {
        L"runtime: C:\\rt\\bin\\client\\jvm.dll, from the stored folder (JRE Path)",
        L"bitness: the runtime is loaded in this process", L"vm option -Djava.class.path=C:\\App\\lib\\app.jar;",
        L"main class com/example/App", L"argument a"};
    for (const std::wstring& line : expected)
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << lines.size() << " lines";
}
