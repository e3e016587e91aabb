#include "launcher/ConfigurationFiles_win.h"

#include "launcher/ConfigPaths.h"
#include "launcher/EmbeddedSettings.h"
#include "util/FileSystem_win.h"
#include "util/Trace.h"

ConfigurationFiles::ConfigurationFiles(std::wstring executablePath, std::wstring configFile, std::wstring appData)
    : executablePath_(std::move(executablePath)), appData_(std::move(appData)), file_(std::move(configFile)) {}

SettingsStore& ConfigurationFiles::layered(const std::wstring& upgradeCode) {
    layered_ = std::make_unique<LayeredProfileFile>(file_.path(), embeddedBaseSettings(upgradeCode));
    return layered_->store();
}

SettingsStore* ConfigurationFiles::userFile(const std::wstring& productName, const std::wstring& productCode) {
    if (appData_.empty()) return nullptr;
    const std::wstring path = userConfigLocationFor(executablePath_, productName, productCode, appData_).file;
    // When the file exists it alone decides the runtime folder, even without
    // the key.
    FileFinder finder;
    const bool exists = finder.find(path.c_str());
    if (tracing()) trace(L"per-user config file " + path + (exists ? L"" : L": none"));
    if (!exists) return nullptr;
    user_ = std::make_unique<ProfileFile>(path);
    return user_.get();
}
