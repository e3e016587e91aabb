#include "jvm/DatePattern_win.h"

namespace {

// One picture through one of the two Windows formatting calls; the picture
// itself when it is too long or the call fails.
template <typename Format>
std::wstring formatPicture(const std::wstring& picture, Format format) {
    if (picture.size() > kLongestDatePicture) return picture;
    const int needed = format(picture.c_str(), nullptr, 0);
    if (needed <= 0) return picture;
    std::wstring out(static_cast<size_t>(needed), L'\0');
    const int length = format(picture.c_str(), &out[0], needed);
    if (length <= 0) return picture;
    out.resize(static_cast<size_t>(length - 1));
    return out;
}

}  // namespace

void expandDatePattern(std::wstring& name, const SYSTEMTIME& time) {
    const size_t first = name.find(L'%');
    const size_t last = name.rfind(L'%');
    if (first == std::wstring::npos) return;
    std::wstring picture = first < last ? name.substr(first + 1, last - first - 1) : std::wstring();

    if (picture.find(L'L') != std::wstring::npos) {
        const std::wstring milliseconds = std::to_wstring(time.wMilliseconds);
        std::wstring replaced;
        for (wchar_t c : picture) {
            if (c == L'L')
                replaced += milliseconds;
            else
                replaced += c;
        }
        picture = replaced;
    }
    // Time elements first; the result is read again as a date picture.
    picture = formatPicture(picture, [&time](const wchar_t* p, wchar_t* out, int size) {
        return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, p, out, size);
    });
    picture = formatPicture(picture, [&time](const wchar_t* p, wchar_t* out, int size) {
        return GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, p, out, size);
    });
    name = name.substr(0, first) + picture + name.substr(last + 1);
}

void expandDatePatterns(StreamTargets& targets) {
    const bool patterned = targets.outputFile.find(L'%') != std::wstring::npos ||
                           targets.errorFile.find(L'%') != std::wstring::npos;
    if (!patterned) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (targets.outputFile.find(L'%') != std::wstring::npos) expandDatePattern(targets.outputFile, now);
    if (targets.errorFile.find(L'%') != std::wstring::npos) expandDatePattern(targets.errorFile, now);
}
