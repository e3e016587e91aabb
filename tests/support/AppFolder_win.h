#pragma once

#include <string>

// A throw-away installation of the launcher for one end-to-end test: a fresh
// folder in the temp directory holding
//   App\<name>.exe     a copy of the program under test
//   App\<name>.ini     its configuration file, when written
//   AppData\           stands in for the user's APPDATA folder
// The whole tree is removed again on destruction.
class AppFolder {
public:
    // Copies the launcher of this build, found beside the running test
    // program (launcher.exe in the 32-bit build, launcher64.exe in the 64-bit
    // build), as exeName.
    explicit AppFolder(const std::wstring& exeName = L"Sample.exe");

    // Copies program instead of the launcher.
    AppFolder(const std::wstring& exeName, const std::wstring& program);

    ~AppFolder();
    AppFolder(const AppFolder&) = delete;
    AppFolder& operator=(const AppFolder&) = delete;

    // True when the folders exist and the program was copied; otherwise
    // error() says what went wrong.
    bool valid() const { return error_.empty(); }
    const std::wstring& error() const { return error_; }

    // Folder paths without a trailing backslash.
    const std::wstring& root() const { return root_; }
    const std::wstring& appPath() const { return appPath_; }
    const std::wstring& appDataPath() const { return appDataPath_; }

    const std::wstring& exePath() const { return exePath_; }

    // The configuration file beside the copy: its name with "ini" for "exe".
    std::wstring iniPath() const;

    // Writes the configuration file. Line feeds become CR LF. The file is
    // UTF-16LE with a byte-order mark, which the Windows profile API reads as
    // Unicode, so that any text survives whatever the ANSI code page is.
    bool writeIni(const std::wstring& text) const;

    // Writes the per-user configuration file, where the launcher looks for
    // it: AppData\<productFolder>\<productCode>\<name>.ini, folders created.
    // productFolder is the product name with the characters that cannot be
    // in a file name already removed.
    bool writeUserIni(const std::wstring& productFolder, const std::wstring& productCode,
                      const std::wstring& text) const;

    // The per-user configuration file's path for the given folder names.
    std::wstring userIniPath(const std::wstring& productFolder,
                             const std::wstring& productCode) const;

    // Writes text as UTF-16LE with a byte-order mark and CR LF line ends.
    static bool writeUtf16File(const std::wstring& path, const std::wstring& text);

    // The launcher of this build beside the running test program.
    static std::wstring builtLauncherPath();

private:
    void create(const std::wstring& exeName, const std::wstring& program);

    std::wstring root_;
    std::wstring appPath_;
    std::wstring appDataPath_;
    std::wstring exePath_;
    std::wstring error_;
};
