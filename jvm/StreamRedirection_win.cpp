#include "jvm/StreamRedirection_win.h"

#include "jvm/StreamRedirection_jni.h"
#include "launcher/Launcher_win.h"
#include "util/FileSystem_win.h"

namespace {

// One picture through one of the two Windows formatting calls; the picture
// itself when the call fails.
template <typename Format>
std::wstring formatPicture(const std::wstring& picture, Format format) {
    wchar_t buffer[260];
    int length = format(picture.c_str(), buffer, 260);
    if (length <= 0) return picture;
    return std::wstring(buffer, static_cast<size_t>(length - 1));
}

using Redirect = bool (*)(JNIEnv*, const std::wstring&, bool);

void redirect(JNIEnv* env, Redirect redirectStream, const std::wstring& path, bool append) {
    createFoldersForFile(path);
    // A file that cannot be opened leaves the stream where it was; the
    // runtime's own description of the failure goes to standard error.
    if (!redirectStream(env, path, append) && env->ExceptionOccurred()) env->ExceptionDescribe();
}

}  // namespace

void expandDatePattern(std::wstring& name, const SYSTEMTIME& time) {
    size_t first = name.find(L'%');
    size_t last = name.rfind(L'%');
    if (first == std::wstring::npos) return;
    std::wstring picture = first < last ? name.substr(first + 1, last - first - 1) : std::wstring();

    if (picture.find(L'L') != std::wstring::npos) {
        std::wstring milliseconds = std::to_wstring(time.wMilliseconds);
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

void Launcher::applyStreamRedirection() {
    bool patterned = outputFile.find(L'%') != std::wstring::npos ||
                     errorFile.find(L'%') != std::wstring::npos;
    if (patterned) {
        // Both names use the same instant.
        SYSTEMTIME now;
        GetLocalTime(&now);
        if (outputFile.find(L'%') != std::wstring::npos) expandDatePattern(outputFile, now);
        if (errorFile.find(L'%') != std::wstring::npos) expandDatePattern(errorFile, now);
    }
    // Output first: a failure to open it is still described on the original
    // error stream.
    if (!outputFile.empty()) redirect(jniEnv, redirectStandardOutput, outputFile, outputAppend);
    if (!errorFile.empty()) redirect(jniEnv, redirectStandardError, errorFile, errorAppend);
}
