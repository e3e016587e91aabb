#include "launcher/MessageText.h"

std::wstring formatText(const std::wstring& format, const std::vector<std::wstring>& args) {
    std::wstring out;
    out.reserve(format.size() + 64);
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        wchar_t c = format[i];
        if (c == L'%' && i + 1 < format.size()) {
            wchar_t d = format[i + 1];
            if (d == L's' || d == L'd') {
                if (next < args.size()) out += args[next];
                ++next;
                ++i;
                continue;
            }
            if (d == L'%') {
                out += L'%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}
