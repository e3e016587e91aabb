#include "launcher/EmbeddedSettings.h"

// This build ships no embedded settings: layered reads rest on the
// configuration file alone.
std::wstring embeddedBaseSettings(const std::wstring&) {
    return std::wstring();
}
