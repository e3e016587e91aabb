#pragma once

#include "testjvm/TestJvm.h"

#include <string>
#include <utility>
#include <vector>

// The record and scenario files of the stand-in runtime for one test, kept in
// the root of its application folder (and removed with it).
class StandInFiles {
public:
    // root: a folder without a trailing backslash, such as AppFolder::root().
    explicit StandInFiles(const std::wstring& root);

    const std::wstring& recordPath() const { return recordPath_; }
    const std::wstring& scenarioPath() const { return scenarioPath_; }

    // Writes the scenario's [Vm] section with these lines ("Main=exit:3\n").
    bool writeScenario(const std::wstring& lines) const;

    // What every stand-in loaded so far recorded; empty when none was.
    std::vector<testjvm::RecordEntry> readRecord() const;

    // Deletes the record, before the next start.
    void clearRecord() const;

    // The variables that lead a started program's stand-in to these files.
    std::vector<std::pair<std::wstring, std::wstring>> environment() const;

private:
    std::wstring recordPath_;
    std::wstring scenarioPath_;
};
