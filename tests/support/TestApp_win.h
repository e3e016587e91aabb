#pragma once

#include "support/AppFolder_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"
#include "testjvm/TestJvm.h"

#include <windows.h>

#include <string>
#include <vector>

// GetExitCodeProcess's value for a launcher that failed (-1).
constexpr DWORD kLauncherFailed = 0xFFFFFFFF;

// What one start of an application showed and left behind.
struct Started {
    RunResult run;
    // What the stand-in runtime recorded; empty when none was loaded.
    std::vector<testjvm::RecordEntry> record;

    // A value the stand-in recorded, "<none>" when it did not.
    std::string value(const std::string& key) const;
    bool has(const std::string& key) const;
    // The run and the record, for a failed assertion.
    std::string text() const;
};

// One application laid out for an end-to-end test as it ships, in a fresh
// folder: the launcher of this build copied as App\<exeName>, its INI file,
// runtime homes beside App\, and the stand-in runtime's record and scenario;
// started as a user starts it. Everything is removed again at the end.
class TestApp {
public:
    explicit TestApp(const std::wstring& exeName = L"Sample.exe") : folder(exeName) {}

    // A stand-in runtime home at root\name (bin\<kind>\jvm.dll, and
    // bin\java.dll); empty when that stand-in was not built.
    std::wstring addRuntime(const std::wstring& name, Machine machine = Machine::own,
                            VmKind kind = VmKind::client, StandIn variant = StandIn::full) const;

    // An INI text: [Java Runtime Environment] with Main Class=com.example.App
    // and runtimeKeys, [Application] with applicationKeys, [Class Path] with
    // C:\app.jar, then further sections.
    static std::wstring configuration(const std::wstring& runtimeKeys, const std::wstring& applicationKeys = L"",
                                      const std::wstring& sections = L"");

    // Writes that text as the application's INI file.
    bool configure(const std::wstring& runtimeKeys, const std::wstring& applicationKeys = L"",
                   const std::wstring& sections = L"") const;

    // The options of a start with these arguments: APPDATA is the test's own,
    // the stand-in finds its scenario and record.
    RunOptions options(const std::wstring& arguments = L"") const;

    // Starts the application (or program) with options and collects what the
    // stand-in recorded in this start.
    Started start(const RunOptions& options, const std::wstring& program = L"") const;
    Started start(const std::wstring& arguments = L"") const { return start(options(arguments)); }

    AppFolder folder;
    StandInFiles standIn{folder.root()};
};
