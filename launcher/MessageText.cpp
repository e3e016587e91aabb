#include "launcher/MessageText.h"

#include "resources/resource.h"

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

unsigned jniReasonMessageId(int code) {
    switch (code) {
    case -1: return IDS_JNI_REASON_ERR;
    case -2: return IDS_JNI_REASON_EDETACHED;
    case -3: return IDS_JNI_REASON_EVERSION;
    case -4: return IDS_JNI_REASON_ENOMEM;
    case -5: return IDS_JNI_REASON_EEXIST;
    case -6: return IDS_JNI_REASON_EINVAL;
    default: return 0;
    }
}

std::wstring objectErrorDetail(const std::wstring& subject, const std::wstring& systemText) {
    std::wstring text = systemText;
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    if (text.empty()) return subject;
    return subject + L": " + text;
}

std::wstring visibleTraceText(const std::wstring& trace) {
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring out;
    out.reserve(trace.size());
    for (size_t i = 0; i < trace.size(); ++i) {
        const wchar_t c = trace[i];
        const auto code = static_cast<unsigned long>(c);
        if (c == L'\r' || c == L'\n') {
            out += L"\r\n";
            if (c == L'\r' && i + 1 < trace.size() && trace[i + 1] == L'\n') ++i;
        } else if (c == L'\t' || (code >= 0x20 && code < 0x7f) || code >= 0xa0) {
            out += c;
        } else {
            out += L"\\u00";
            out += digits[(code >> 4) & 0xf];
            out += digits[code & 0xf];
        }
    }
    return out;
}
