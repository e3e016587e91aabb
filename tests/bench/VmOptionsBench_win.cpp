// How long the Java start takes the launcher itself, under Wine or Windows.
//
//   vmoptions_bench            both measurements, figures on standard output
//   vmoptions_bench classpath  only (a): planning the start with \lib\*.jar
//                              matching 1,000, 5,000 and 10,000 jars
//   vmoptions_bench splash     only (c): process start to the splash window
//                              for a 1920 by 1080 picture, and to
//                              JNI_CreateJavaVM with and without it
//   vmoptions_bench overhead   only (b): process start to JNI_CreateJavaVM
//                              for the sample application on the stand-in
//                              runtime, against a trivial program's start
//
// Planning reads the configuration beside the running executable,
// so (a) copies this program into a folder of its own with the INI and the
// jars and runs the copy with "--assemble". (b) lays the sample application
// out as it ships (launcher, sample\Sample.ini, lib\) with the stand-in as
// the runtime beside it, and watches the stand-in's record for the moment
// JNI_CreateJavaVM is called.
#include "jvm/JavaStart_win.h"
#include "launcher/ConfigPaths.h"
#include "launcher/LauncherSettings.h"
#include "launcher/ProfileFile_win.h"
#include "util/Environment_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#ifndef LAUNCHER_SOURCE_DIR
#error "LAUNCHER_SOURCE_DIR names the source tree (for sample\\Sample.ini)"
#endif

namespace {

const int kAssembleRepeats = 7;
const int kOverheadRounds = 25;

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double minimum(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// One row of a table of timings: its label, the median and the best value.
void printTimes(const wchar_t* label, const std::vector<double>& values) {
    std::wprintf(L"    %-44ls %8.1f %8.1f\n", label, median(values), minimum(values));
}

void printTimesHeader() {
    std::wprintf(L"    %-44ls %8ls %8ls\n", L"", L"median", L"best");
}

std::wstring ownPath() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return std::wstring(path, length);
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

std::wstring fromUnixPath(const char* path) {
    std::wstring text(path, path + std::char_traits<char>::length(path));
    // A source tree given as a Unix path is reached through Wine's Z: drive.
    if (!text.empty() && text[0] == L'/') {
        std::replace(text.begin(), text.end(), L'/', L'\\');
        text = L"Z:" + text;
    }
    return text;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string readFile(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (file && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW((path + L"\\*").c_str(), &found));
    if (search) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search.get(), &found));
    }
    search.reset();
    RemoveDirectoryW(path.c_str());
}

std::wstring makeWorkFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring folder = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId());
    removeTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Starts program with arguments in its own folder and returns its process
// (empty on failure); start receives the time just before the creation.
UniqueHandle startProcess(const std::wstring& program, const std::wstring& arguments, double& start) {
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    start = nowMs();
    if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folderOf(program).c_str(), &startup, &info)) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", program.c_str(), GetLastError());
        return UniqueHandle();
    }
    UniqueHandle thread(info.hThread);
    return UniqueHandle(info.hProcess);
}

DWORD waitForExit(const UniqueHandle& process) {
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

// ---------------------------------------------------------------------------
// (a) the class path

// In the copy: assembleVmOptions, timed, several times; the figures go to
// result.txt beside the copy.
int assembleInPlace() {
    std::vector<double> assemble;
    size_t classPathChars = 0;
    size_t entries = 0;
    const std::wstring configFile = configFilePathFor(ownPath()).value_or(std::wstring());
    for (int i = 0; i < kAssembleRepeats; ++i) {
        double start = nowMs();
        LayeredProfileFile layered(configFile, std::wstring());
        LauncherSettings settings;
        bool ok = readLauncherSettings(settings, layered.store(), nullptr);
        JavaStartFacts facts;
        facts.jvmPath = L"C:\\rt\\bin\\client\\jvm.dll";
        facts.executablePath = ownPath();
        facts.workingFolder = currentFolder();
        facts.memory = processMemory();
        facts.environment = environmentValue;
        facts.list = listMatches;
        const JavaStartPlan plan = planJavaStart(readJavaStartSettings(layered.store(), settings), facts);
        assemble.push_back(nowMs() - start);
        if (!ok || plan.options.empty()) return 1;
        const std::wstring& option = plan.options.front();
        classPathChars = option.size() - std::wstring(L"-Djava.class.path=").size();
        entries = static_cast<size_t>(std::count(option.begin(), option.end(), L';'));
    }
    // The file system's share: listing the same folder and nothing else.
    std::vector<double> listing;
    size_t jars = 0;
    std::wstring pattern = folderOf(ownPath()) + L"\\lib\\*.jar";
    for (int i = 0; i < kAssembleRepeats; ++i) {
        double start = nowMs();
        WIN32_FIND_DATAW found;
        UniqueFind search(FindFirstFileW(pattern.c_str(), &found));
        jars = 0;
        if (search) {
            do ++jars;
            while (FindNextFileW(search.get(), &found));
        }
        listing.push_back(nowMs() - start);
    }
    char line[256];
    std::snprintf(line, sizeof line, "%zu %zu %zu %.2f %.2f %.2f\n", jars, entries, classPathChars,
                  minimum(assemble), median(assemble), minimum(listing));
    return writeFile(folderOf(ownPath()) + L"\\result.txt", line) ? 0 : 3;
}

bool measureClassPath() {
    std::wprintf(L"(a) assembleVmOptions, Class Path=\\lib\\*.jar (best and median of %d; listing = FindFirstFile/"
                 L"FindNextFile alone)\n",
                 kAssembleRepeats);
    std::wprintf(L"    %8ls %10ls %10ls %10ls %10ls %10ls %12ls\n", L"jars", L"on path", L"chars", L"best ms",
                 L"median ms", L"listing ms", L"us per jar");
    std::wstring root = makeWorkFolder(L"vmoptions-bench");
    bool ok = true;
    for (int count : {1000, 5000, 10000}) {
        std::wstring folder = root + L"\\n" + std::to_wstring(count);
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\lib").c_str(), nullptr);
        std::wstring copy = folder + L"\\Bench.exe";
        if (!CopyFileW(ownPath().c_str(), copy.c_str(), FALSE)) return false;
        writeFile(folder + L"\\Bench.ini",
                  "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n"
                  "[Class Path]\r\nClass Path=\\lib\\*.jar\r\n");
        for (int i = 0; i < count; ++i) {
            wchar_t name[64];
            std::swprintf(name, 64, L"\\lib\\library-module-%05d.jar", i);
            writeFile(folder + name, std::string());
        }
        double start = 0;
        UniqueHandle process = startProcess(copy, L"--assemble", start);
        DWORD code = process ? waitForExit(process) : 0xFFFFFFFF;
        if (code != 0) {
            std::wprintf(L"    %8d  failed (exit code %lu)\n", count, code);
            ok = false;
            continue;
        }
        size_t jars = 0, entries = 0, chars = 0;
        double best = 0, middle = 0, listing = 0;
        std::string result = readFile(folder + L"\\result.txt");
        if (std::sscanf(result.c_str(), "%zu %zu %zu %lf %lf %lf", &jars, &entries, &chars, &best, &middle,
                        &listing) != 6) {
            ok = false;
            continue;
        }
        // "on path" below "jars": the class path option lost entries.
        std::wprintf(L"    %8zu %10zu %10zu %10.2f %10.2f %10.2f %12.2f\n", jars, entries, chars, best, middle,
                     listing, best * 1000.0 / static_cast<double>(jars));
    }
    removeTree(root);
    return ok;
}

// ---------------------------------------------------------------------------
// (b) launcher overhead

// The sample as it ships, with the stand-in as the runtime beside it, in a
// work folder of its own; main runs mainAction.
struct SampleLayout {
    std::wstring root;
    std::wstring exe;
    std::wstring record;
};

bool layOutSample(const wchar_t* name, const char* mainAction, SampleLayout& layout) {
    std::wstring bin = folderOf(ownPath());
    std::wstring launcher = bin + (sizeof(void*) == 8 ? L"\\launcher64.exe" : L"\\launcher.exe");
    std::wstring standIn = bin + L"\\testjvm.dll";
    std::wstring root = makeWorkFolder(name);
    std::wstring sample = root + L"\\sample";
    for (const wchar_t* sub : {L"", L"\\lib", L"\\jre", L"\\jre\\bin", L"\\jre\\bin\\client"})
        CreateDirectoryW((sample + sub).c_str(), nullptr);
    std::wstring exe = sample + L"\\Sample.exe";
    std::wstring ini = fromUnixPath(LAUNCHER_SOURCE_DIR) + L"\\sample\\Sample.ini";
    if (!CopyFileW(launcher.c_str(), exe.c_str(), FALSE) ||
        !CopyFileW(ini.c_str(), (sample + L"\\Sample.ini").c_str(), FALSE) ||
        !CopyFileW(standIn.c_str(), (sample + L"\\jre\\bin\\client\\jvm.dll").c_str(), FALSE)) {
        std::wprintf(L"cannot lay out the sample (launcher, Sample.ini and testjvm.dll are needed)\n");
        return false;
    }
    writeFile(sample + L"\\jre\\bin\\java.dll", std::string());
    writeFile(sample + L"\\lib\\sample.jar", std::string());
    std::wstring scenario = root + L"\\scenario.ini";
    std::wstring record = root + L"\\record.txt";
    writeFile(scenario, std::string("[Vm]\r\nMainClass=com/example/sample/SampleApp\r\nMain=") + mainAction + "\r\n");
    SetEnvironmentVariableW(L"TESTJVM_SCENARIO", scenario.c_str());
    SetEnvironmentVariableW(L"TESTJVM_RECORD", record.c_str());
    layout = SampleLayout{root, exe, record};
    return true;
}

bool measureOverhead() {
    std::wstring trivial = folderOf(ownPath()) + L"\\vmoptions_bench_trivial.exe";
    SampleLayout layout;
    if (!layOutSample(L"launcher-overhead-bench", "return", layout)) return false;
    const std::wstring& root = layout.root;
    const std::wstring& exe = layout.exe;
    const std::wstring& record = layout.record;

    std::vector<double> trivialRuns, user32Runs, toCreate, launcherRuns;
    bool ok = true;
    // Two rounds to warm Wine's caches, then the measured ones, interleaved
    // so that both programs see the same machine state.
    for (int round = -2; round < kOverheadRounds && ok; ++round) {
        double start = 0;
        UniqueHandle process = startProcess(trivial, L"", start);
        if (!process) return false;
        waitForExit(process);
        double trivialMs = nowMs() - start;
        process = startProcess(trivial, L"user32", start);
        if (!process) return false;
        waitForExit(process);
        double user32Ms = nowMs() - start;

        DeleteFileW(record.c_str());
        process = startProcess(exe, L"", start);
        if (!process) return false;
        double created = -1;
        while (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
            if (created < 0 && readFile(record).find("createResult=") != std::string::npos) created = nowMs() - start;
            Sleep(1);
        }
        if (created < 0 && readFile(record).find("createResult=") != std::string::npos) created = nowMs() - start;
        double launcherMs = nowMs() - start;
        DWORD code = waitForExit(process);
        if (code != 0 || created < 0) {
            std::wprintf(L"(b) the sample did not start Java (exit code %lu)\n", code);
            ok = false;
        }
        if (round < 0) continue;
        trivialRuns.push_back(trivialMs);
        user32Runs.push_back(user32Ms);
        toCreate.push_back(created);
        launcherRuns.push_back(launcherMs);
    }
    if (ok) {
        std::wprintf(L"(b) sample application on the stand-in runtime, %d rounds (ms; record polled every ~1 ms)\n",
                     kOverheadRounds);
        printTimesHeader();
        printTimes(L"trivial GUI program: start to exit", trivialRuns);
        printTimes(L"the same, touching user32: start to exit", user32Runs);
        printTimes(L"Sample.exe: start to JNI_CreateJavaVM", toCreate);
        printTimes(L"Sample.exe: start to exit", launcherRuns);
        std::wprintf(L"    %-44ls %8.1f %8.1f\n", L"launcher's own share (against user32 program)",
                     median(toCreate) - median(user32Runs), minimum(toCreate) - minimum(user32Runs));
    }
    removeTree(root);
    return ok;
}

// ---------------------------------------------------------------------------
// (c) the splash picture

// One start of the sample: the time to JNI_CreateJavaVM and, with a splash,
// to the splash window being visible (ShowWindow; UpdateWindow paints it
// right after, on the same thread). Negative when it was not seen.
bool timeStart(const SampleLayout& layout, bool splash, double& toSplash, double& toCreate) {
    DeleteFileW(layout.record.c_str());
    double start = 0;
    UniqueHandle process = startProcess(layout.exe, L"", start);
    if (!process) return false;
    toSplash = toCreate = -1;
    while (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        if (splash && toSplash < 0) {
            HWND window = FindWindowW(L"SplashScreenWindow", nullptr);
            if (window != nullptr && IsWindowVisible(window)) toSplash = nowMs() - start;
        }
        if (toCreate < 0 && readFile(layout.record).find("createResult=") != std::string::npos)
            toCreate = nowMs() - start;
        Sleep(1);
    }
    return waitForExit(process) == 0 && toCreate >= 0 && (!splash || toSplash >= 0);
}

bool measureSplash() {
    SampleLayout layout;
    // main runs long enough for the window to be seen.
    if (!layOutSample(L"launcher-splash-bench", "sleep:300", layout)) return false;
    std::wstring sample = folderOf(layout.exe);
    std::wstring picture = sample + L"\\splash.png";
    std::wstring ini = sample + L"\\Sample.ini";
    std::string plain = readFile(ini);
    if (!CopyFileW((folderOf(ownPath()) + L"\\pictures\\splash-1920x1080.png").c_str(), picture.c_str(), FALSE)) {
        std::wprintf(L"(c) the 1920 by 1080 picture is missing (bin\\pictures)\n");
        return false;
    }
    std::vector<double> plainCreate, splashShown, splashCreate;
    for (int round = -2; round < kOverheadRounds; ++round) {
        double shown = 0, created = 0, unused = 0;
        writeFile(ini, plain);
        if (!timeStart(layout, false, unused, created)) {
            std::wprintf(L"(c) the sample did not start Java without a splash\n");
            return false;
        }
        if (round >= 0) plainCreate.push_back(created);
        writeFile(ini, plain + "\r\n[Display]\r\nSplash Screen=splash.png\r\n");
        if (!timeStart(layout, true, shown, created)) {
            std::wprintf(L"(c) the splash window was not seen, or Java did not start\n");
            return false;
        }
        if (round >= 0) {
            splashShown.push_back(shown);
            splashCreate.push_back(created);
        }
    }
    std::wprintf(L"(c) splash picture of 1920 by 1080 pixels (PNG), %d rounds (ms; polled every ~1 ms)\n",
                 kOverheadRounds);
    printTimesHeader();
    printTimes(L"with splash: start to splash shown", splashShown);
    printTimes(L"with splash: start to JNI_CreateJavaVM", splashCreate);
    printTimes(L"without splash: start to JNI_CreateJavaVM", plainCreate);
    removeTree(layout.root);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"--assemble") return assembleInPlace();
    std::wprintf(L"%ls build\n", sizeof(void*) == 8 ? L"x86-64" : L"x86");
    bool ok = true;
    if (mode.empty() || mode == L"classpath") ok = measureClassPath() && ok;
    if (mode.empty() || mode == L"overhead") ok = measureOverhead() && ok;
    if (mode.empty() || mode == L"splash") ok = measureSplash() && ok;
    return ok ? 0 : 1;
}
