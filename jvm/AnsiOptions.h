#pragma once

#include <functional>
#include <string>
#include <vector>

// JNI_CreateJavaVM takes its options in the ANSI code page. A path there that
// the code page cannot hold would reach the VM best-fitted or as "?", pointing
// nowhere; its short (8.3) name, where the file system has one, is plain
// ASCII and names the same file.
struct CodePageProbes {
    // Whether text converts to the code page exactly.
    std::function<bool(const std::wstring& text)> fits;
    // The short form of an existing path; empty when there is none.
    std::function<std::wstring(const std::wstring& path)> shortName;
};

// Makes every option fit the code page: each ";"-separated path of an
// option's value (after "=" for -D options, after the first ":" for others,
// such as -javaagent:) that does not fit is replaced by its short name. False,
// with the first path (or option) that neither fits nor has a fitting short
// name in unrepresentable, when that is not possible.
bool fitOptionsToCodePage(std::vector<std::wstring>& options, const CodePageProbes& probes,
                          std::wstring& unrepresentable);
