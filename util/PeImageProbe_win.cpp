#include "util/PeImageProbe_win.h"

#include "util/PeImage.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <cstdint>

// The headers are read from a read-only mapping of the file by our own parser.
// Loading a helper DLL such as Dbghelp.dll for this would search the
// application folder first, where a planted DLL of that name would run.
bool isForeignArchitectureImage(const std::wstring& dllPath) {
    // Declared in this order so that they are released view, mapping, file.
    UniqueFile file(CreateFileW(dllPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0) return false;
    if (static_cast<std::uint64_t>(fileSize.QuadPart) > SIZE_MAX) return false;

    UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return false;

    const auto machine = imageMachine(static_cast<const unsigned char*>(view.get()),
                                      static_cast<std::size_t>(fileSize.QuadPart));
    return machine && isForeignMachine(*machine, ownImageMachine());
}
