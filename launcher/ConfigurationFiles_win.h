#pragma once

#include "launcher/LauncherSettings.h"
#include "launcher/ProfileFile_win.h"

#include <memory>
#include <string>

// The configuration files of one start as the settings reader reads them:
// the file beside the executable, the same over the embedded base settings,
// and the per-user file under the user's application-data folder.
class ConfigurationFiles : public SettingsSources {
public:
    ConfigurationFiles(std::wstring executablePath, std::wstring configFile, std::wstring appData);

    SettingsStore& configFile() override { return file_; }
    SettingsStore& layered(const std::wstring& upgradeCode) override;
    SettingsStore* userFile(const std::wstring& productName, const std::wstring& productCode) override;

private:
    std::wstring executablePath_;
    std::wstring appData_;
    ProfileFile file_;
    std::unique_ptr<LayeredProfileFile> layered_;
    std::unique_ptr<ProfileFile> user_;
};
