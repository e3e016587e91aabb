#include "support/TestApp_win.h"

std::string Started::value(const std::string& key) const {
    return testjvm::recordValue(record, key).value_or("<none>");
}

bool Started::has(const std::string& key) const {
    return testjvm::recordValue(record, key).has_value();
}

std::string Started::text() const {
    std::string lines;
    for (const testjvm::RecordEntry& entry : record) lines += "\n  " + entry.key + "=" + entry.value;
    return describeRun(run) + lines;
}

std::wstring TestApp::addRuntime(const std::wstring& name, Machine machine, VmKind kind, StandIn variant) const {
    const std::wstring home = folder.root() + L"\\" + name;
    return makeRuntimeHome(home, kind, variant, machine, true) ? home : std::wstring();
}

std::wstring TestApp::configuration(const std::wstring& runtimeKeys, const std::wstring& applicationKeys,
                                   const std::wstring& sections) {
    return L"[Java Runtime Environment]\nMain Class=com.example.App\n" + runtimeKeys + L"[Application]\n" +
           applicationKeys + L"[Class Path]\nClass Path=C:\\app.jar\n" + sections;
}

bool TestApp::configure(const std::wstring& runtimeKeys, const std::wstring& applicationKeys,
                        const std::wstring& sections) const {
    return folder.writeIni(configuration(runtimeKeys, applicationKeys, sections));
}

RunOptions TestApp::options(const std::wstring& arguments) const {
    RunOptions options;
    options.arguments = arguments;
    options.appData = folder.appDataPath();
    options.environment = standIn.environment();
    return options;
}

Started TestApp::start(const RunOptions& options, const std::wstring& program) const {
    standIn.clearRecord();
    Started started;
    started.run = runProgram(program.empty() ? folder.exePath() : program, options);
    started.record = standIn.readRecord();
    return started;
}
