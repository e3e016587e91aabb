#pragma once

#include <functional>
#include <string>
#include <vector>

// JNI_CreateJavaVM takes its options in the ANSI code page. Text there that
// the code page cannot hold would reach the VM best-fitted or as "?". A path
// of an existing file has a short (8.3) name that is plain ASCII and names the
// same file; a system property can be set once the VM runs, in full Unicode.
struct CodePageProbes {
    // Whether text converts to the code page exactly.
    std::function<bool(const std::wstring& text)> fits;
    // The short form of an existing absolute path (the path itself where the
    // file system keeps no short names); empty when the path does not exist.
    std::function<std::wstring(const std::wstring& path)> shortName;
};

// A system property set through System.setProperty right after the VM is
// created, before anything else runs in it.
struct LateProperty {
    std::wstring name;
    std::wstring value;
};

struct FittedOptions {
    std::vector<std::wstring> options;         // each fits the code page
    std::vector<LateProperty> lateProperties;  // in the order of their options
    std::wstring refused;                      // an option that can be passed in no way; empty when none
};

// Makes the options fit the code page without changing what they say:
// - in the path lists of the class path and the library path, an entry that
//   does not fit goes by its short name, and is left out when it does not exist;
// - in any other option, an absolute path (after "=", ":", ";" or ",") that
//   does not fit goes by the short name of its longest existing part, so a
//   file still to be written in an existing folder is named too;
// - a -D property that still does not fit is set late instead, unless the VM
//   reads it while it is created (then it is refused);
// - any other option that still does not fit is refused.
// Text that is not an absolute path is never replaced by a file's name.
FittedOptions fitOptionsToCodePage(const std::vector<std::wstring>& options, const CodePageProbes& probes);
