// Measures the runtime search over the real registry: 200 version keys spread
// over the seven registry roots, each naming an existing runtime home.
//   selectRegisteredRuntime  ranking and choice, reading the registry through
//                            the launcher's own reader and probing every home
//     the same, every file taken as there: the registry's share alone
//   settings and plan        the settings, then the start's plan with the
//                            whole search (stored folder, folder beside the
//                            exe, registry)
// Prints the median, fastest and slowest call of each. Writes the keys, the
// homes and runtime_bench.ini beside itself, and removes them again.
#include "jre/RegistryScan.h"
#include "jre/RegistryView_win.h"
#include "launcher/ConfigurationFiles_win.h"
#include "launcher/LauncherSettings.h"
#include "launcher/StartFacts_win.h"
#include "support/Registry_win.h"
#include "util/FileSystem_win.h"
#include "util/Paths.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kVersionKeys = 200;
constexpr int kWarmUp = 5;
constexpr int kRepetitions = 200;

// Folders and files made for the run, removed in reverse order.
class Scratch {
public:
    ~Scratch() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
    }
    bool folder(const std::wstring& path) {
        if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
        made_.push_back(path);
        return true;
    }
    bool file(const std::wstring& path, const std::string& content = std::string()) {
        UniqueFile handle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) return false;
        made_.push_back(path);
        DWORD written = 0;
        return content.empty() || WriteFile(handle.get(), content.data(),
                                            static_cast<DWORD>(content.size()), &written, nullptr);
    }
    // home\bin\client\jvm.dll, with the folders on the way.
    bool runtimeHome(const std::wstring& home) {
        return folder(home) && folder(home + L"\\bin") && folder(home + L"\\bin\\client") &&
               file(home + L"\\bin\\client\\jvm.dll");
    }

private:
    std::vector<std::wstring> made_;
};

struct Measured {
    const char* name;
    std::function<bool()> call;
    std::vector<double> micros = {};
};

// Runs the calls in turn, one round after another, so that a busy moment of
// the machine falls on all of them alike. False when any call failed.
bool measure(std::vector<Measured>& calls) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    bool ok = true;
    for (int round = 0; round < kWarmUp + kRepetitions; ++round) {
        for (Measured& measured : calls) {
            LARGE_INTEGER begin, end;
            QueryPerformanceCounter(&begin);
            ok = measured.call() && ok;
            QueryPerformanceCounter(&end);
            if (round >= kWarmUp)
                measured.micros.push_back(static_cast<double>(end.QuadPart - begin.QuadPart) *
                                          1e6 / static_cast<double>(frequency.QuadPart));
        }
    }
    return ok;
}

void print(Measured& measured) {
    std::vector<double>& micros = measured.micros;
    std::sort(micros.begin(), micros.end());
    std::printf("%-40s median %9.1f us   fastest %9.1f us   slowest %9.1f us\n", measured.name,
                micros[micros.size() / 2], micros.front(), micros.back());
}

std::string wineVersion() {
    using Version = const char*(__cdecl*)();
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto version = ntdll ? reinterpret_cast<Version>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                         : nullptr;
    return version ? std::string("Wine ") + version() : std::string("Windows");
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = std::wstring(temp) + L"runtime-bench-" + std::to_wstring(GetCurrentProcessId());
    DWORD error = ERROR_SUCCESS;
    const std::wstring exePath = moduleFileName(nullptr, error);
    const std::wstring exeFolder = folderOf(exePath);
    if (exeFolder.empty()) return 1;

    bool ok = true;
    {
        Scratch scratch;
        RegisteredRuntimes registry;
        ok = scratch.folder(base);
        // Version 500.i under root i % 7; the older JDK roots name the JDK,
        // whose runtime is its jre folder.
        for (int i = 0; ok && i < kVersionKeys; ++i) {
            const RegistryRoot& root = kRegistryRoots[i % 7];
            std::wstring home = base + L"\\h" + std::to_wstring(i);
            ok = root.homeInJreFolder ? scratch.folder(home) && scratch.runtimeHome(home + L"\\jre")
                                      : scratch.runtimeHome(home);
            std::wstring key = root.key;
            key.pop_back();
            ok = ok && registry.add(key, L"500." + std::to_wstring(i), home, ownRegistryView());
        }
        const std::wstring ini = exeFolder + L"runtime_bench.ini";
        ok = ok && scratch.file(ini,
                                "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n"
                                "Minimum Version=500\r\nMaximum Version=500\r\nVM Provider=any\r\n");
        if (!ok) {
            std::fprintf(stderr, "set-up failed: %ls\n", registry.error().c_str());
            return 1;
        }

        RegistryCriteria settings;
        settings.minVersion = JavaVersion(500, 0, 0, 0);
        settings.maxVersion = JavaVersion(500, 65535, 65535, 65535);
        settings.jrockitAllowed = true;
        settings.ibmAllowed = true;
        RuntimeRegistryView own(false);
        const FileProbe exists = [](const std::wstring& path) { return fileExists(path); };
        std::wstring chosen;

        const FileProbe everyFile = [](const std::wstring&) { return true; };
        std::vector<Measured> calls = {
            {"selectRegisteredRuntime",
             [&] {
                 auto runtime = selectRegisteredRuntime(own, settings, exists);
                 if (runtime) chosen = runtime->home;
                 return runtime.has_value();
             }},
            {"  the same, every file taken as there",
             [&] { return selectRegisteredRuntime(own, settings, everyFile).has_value(); }},
            {"settings and the start plan (with the search)",
             [&] {
                 ConfigurationFiles configuration(exePath, ini, L"");
                 LauncherSettings read;
                 if (!readSettings(configuration, read)) return false;
                 const StartFacts facts = gatherStartFacts(exePath, {}, InstanceRole::off, L"", read);
                 return planStart(read, facts).route == StartRoute::startJava;
             }},
        };
        std::printf("%d version keys over 7 roots, %d rounds, %s, %d-bit\n", kVersionKeys,
                    kRepetitions, wineVersion().c_str(), static_cast<int>(sizeof(void*) * 8));
        ok = measure(calls);
        for (Measured& measured : calls) print(measured);
        std::printf("chosen: %ls\n", chosen.c_str());
    }
    if (!ok) std::fprintf(stderr, "a measured call failed\n");
    return ok ? 0 : 1;
}
