#include "launcher/ConsoleMessage.h"

#include "util/Utf16.h"

std::wstring consoleMessage(const std::wstring& programName, const std::wstring& text) {
    std::wstring body = text;
    while (!body.empty() && (body.back() == L'\n' || body.back() == L'\r')) body.pop_back();
    std::wstring message = programName + L": ";
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == L'\r' && i + 1 < body.size() && body[i + 1] == L'\n') continue;
        if (body[i] == L'\n') message += L'\r';
        message += body[i];
    }
    return message + L"\r\n";
}

std::wstring programNameOf(const std::wstring& executablePath) {
    const size_t slash = executablePath.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? executablePath : executablePath.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) {
        std::wstring extension = name.substr(dot);
        for (wchar_t& c : extension) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        if (extension == L".exe") name.resize(dot);
    }
    return name;
}

int consoleEventExitStatus(unsigned long event) {
    switch (event) {
    case 0: return 128 + 2;    // SIGINT
    case 1: return 128 + 21;   // SIGBREAK
    case 2: return 128 + 15;   // SIGTERM, as the JDK treats a closed console
    default: return 0;
    }
}

std::string utf8Of(const std::wstring& text) {
    const std::u16string units = toUtf16(text);
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t code = units[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}
