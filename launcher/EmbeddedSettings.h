#pragma once

#include <string>

// INI text that an executable carries as base settings for the product with
// the given upgrade code; every layered read starts from it. Empty when the
// executable carries none for that code.
std::wstring embeddedBaseSettings(const std::wstring& upgradeCode);
