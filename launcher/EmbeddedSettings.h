#pragma once

#include <cstddef>
#include <string>

// INI text that an executable carries as base settings for the product with
// the given upgrade code; every layered read starts from it. Empty when the
// executable carries none for that code.
std::wstring embeddedBaseSettings(const std::wstring& upgradeCode);

// The base settings block as the branding tool writes it (an RCDATA
// resource), little-endian:
//   "LSET"  u32 version (1)  u32 count
//   count times: u32 n, n bytes of UTF-8 upgrade code, u32 m, m bytes of UTF-8 INI text
// The text of the entry whose code equals upgradeCode (letter case ignored,
// as GUIDs are written either way); empty when there is none or the block is
// malformed. Reads nothing outside the size bytes.
std::wstring selectEmbeddedSettings(const unsigned char* block, size_t size, const std::wstring& upgradeCode);
