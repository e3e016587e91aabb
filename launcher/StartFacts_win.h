#pragma once

#include "launcher/StartPlan.h"

#include <string>
#include <vector>

// The variable through which a hand-over tells the pair product which
// executable started it; set for that child process only.
extern const wchar_t* const kHandedOverByVariable;

// The user's roaming application-data folder: APPDATA, or the system's own
// folder when the variable is not set. Empty when neither is known.
std::wstring userAppDataFolder();

// Takes the executable that handed this start over out of the process's
// environment, so that programs the application starts do not inherit it.
// Empty for a start of the user's.
std::wstring takeHandedOverBy();

// Whether two paths name one existing file, by its volume and file index.
bool sameFile(const std::wstring& a, const std::wstring& b);

// The facts that planning the start needs, with the probes that ask the file
// system and the registry when the plan gets there.
StartFacts gatherStartFacts(const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
                            InstanceRole role, const std::wstring& handedOverBy, const LauncherSettings& settings);
