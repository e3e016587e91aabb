#pragma once

// testjvm.dll: a jvm.dll of our own for the end-to-end tests (never shipped).
// It answers the invocation interface and the few Java classes the launcher
// talks to, records what the launcher does, and behaves as a scenario file
// tells it. Built in three variants that differ only in their exports:
//   testjvm.dll           JNI_CreateJavaVM, JNI_GetDefaultJavaVMInitArgs,
//                         JVM_FindClassFromBootLoader
//   testjvm_noboot.dll    without JVM_FindClassFromBootLoader
//   testjvm_nocreate.dll  JNI_GetDefaultJavaVMInitArgs only
//
// CONTROL: two environment variables of the process that loads it.
//   TESTJVM_RECORD    absolute path of the record file (appended to)
//   TESTJVM_SCENARIO  absolute path of the scenario file; absent: defaults
//
// SCENARIO FILE: an INI file read with GetPrivateProfileStringW, section [Vm].
// Write it in UTF-16LE with a byte-order mark for text beyond ASCII, or use
// the escapes \r \n \t \\ \uXXXX (one UTF-16 unit) in the text keys.
//   CreateResult=<n>        JNI_CreateJavaVM's result (0). Non-zero: no VM.
//   CreateDelay=<ms>        JNI_CreateJavaVM takes this long first (0)
//   DefaultStackSize=<n>    javaStackSize answered for a JDK 1.1 block (0)
//   LauncherHelper=yes|no   sun/launcher/LauncherHelper exists (yes); it is
//                           reached through JVM_FindClassFromBootLoader or
//                           FindClass. checkAndLoadMain accepts only the
//                           dotted name of MainClass.
//   CheckAndLoadMain=hotspot|null
//                           what checkAndLoadMain does with any other name,
//                           and with MainClass when HasMain=no:
//                           hotspot (default) as HotSpot: it writes one of
//                             Error: Could not find or load main class <name>
//                             Caused by: java.lang.ClassNotFoundException: <name>
//                           or
//                             Error: Main method not found in class <name>, please define the main method as:
//                                public static void main(String[] args)
//                             or a JavaFX application class must extend javafx.application.Application
//                           (lines ended by CR LF) to System.err, or to
//                           System.out when its first argument is false,
//                           and calls System.exit(1) as "exit:1" does.
//                           null: it answers null for any other name, and
//                           the class itself whether it has main or not.
//   CheckAndLoadMainThrows=yes|no
//                           with CheckAndLoadMain=null: whether that null
//                           comes with a pending NoClassDefFoundError (yes)
//                           or alone (no)
//   MainClass=<name>        the application's class, internal form with "/"
//                           (com/example/App). FindClass of any other name
//                           (dotted names too) gives null with a pending
//                           java.lang.NoClassDefFoundError.
//   HasMain=yes|no          the class has static main([Ljava/lang/String;)V
//   MissingMethodThrows=yes|no
//                           a failed Get(Static)MethodID leaves a pending
//                           NoSuchMethodError (yes) or just answers null (no)
//   Main=<actions>          what main does, actions separated by commas, run
//                           in order (return):
//                             return      return normally
//                             throw       return with ThrowText pending
//                             exit:<n>    as System.exit(n): call the exit
//                                         hook given with the "exit" option,
//                                         then end the process with n
//                             print       StdoutLine to System.out and
//                                         StderrLine to System.err, each with
//                                         CR LF, as UTF-8; to the redirection
//                                         file when set, else to the process's
//                                         standard handle when it has one
//                             sleep:<ms>  wait
//   ThrowText=<text>        printStackTrace/ExceptionDescribe text of main's
//                           exception; its class is the text before the first
//                           ":" or white space. Default:
//                           java.lang.IllegalStateException: Fehler äöü\r\n
//                           \tat com.example.App.main(App.java:5)\r\n
//   StdoutLine=<text>       (stdout line)
//   StderrLine=<text>       (stderr line)
//   HideClasses=<a;b;...>   classes that FindClass does not find, such as
//                           java/io/ByteArrayOutputStream
//   DetachResult=<n>        DetachCurrentThread's result (0)
//   DestroyResult=<n>       DestroyJavaVM's result (0)
//   SecondaryMain=none|void|int
//                           static secondaryMain([Ljava/lang/String;)V or
//                           ([Ljava/lang/String;)I exists (none)
//   SecondaryAction=<actions>  as Main, for secondaryMain (return)
//   SecondaryResult=<n>     what the int variant returns (0)
//
// THREADS, as HotSpot has them: the thread that creates the VM is attached,
// as is one that calls AttachCurrentThread(AsDaemon). DestroyJavaVM returns
// only when every other attached non-daemon thread has detached; it polls
// while they run, and blocks for ever once one of them has ended attached.
//
// RECORD FILE: UTF-8 lines "key=value\n"; in values CR, LF and backslash are
// written as \r \n \\ (parseRecord undoes it). Each event is appended with
// one write, so nothing is lost when the process ends abruptly. Keys:
//   on load:    loaded=<dll path>  pid=<n>  loadThreadId=<n>  machine=x86|x64
//               commandLine=<GetCommandLineW>
//               env.LQ_JVM_PATH=  env.LQ_JVM_HOME=  env.Path=  (when set)
//   JNI_GetDefaultJavaVMInitArgs:
//               defaultInitArgs.version=0x00010001
//               defaultInitArgs.javaStackSize=<n>   (JDK 1.1 block only)
//   JNI_CreateJavaVM:
//               version=0x00010002  ignoreUnrecognized=0|1  nOptions=<n>
//               option.<i>=<bytes as given>
//               option.<i>.hook=yes|no            (for "abort" and "exit")
//               stackReserve=<bytes reserved for the calling thread's stack>
//               threadId=<n>  createResult=<n>
//   Java side:  findClass=<name>  findClassFromBootLoader=<name>
//               getStaticMethodID=<class>.<name><signature>
//               getMethodID=<class>.<name><signature>
//               getStaticFieldID=<class>.<name><signature>
//               checkAndLoadMain=<0|1>,<int>,<name>
//               main=<thread id>  mainArgs.count=<n>  mainArgs.<i>=<text>
//               (mainArgs=null when main got null)
//               mainLiveLocalRefs=<local references the calling thread has
//               made and not deleted when main is called>
//               secondaryMain=<thread id>  secondaryArgs.count=<n>
//               secondaryArgs.<i>=<text>
//               fileOutputStream=<path>  fileOutputStream.append=0|1
//               fileOutputStream.error=<Windows error>   (when it failed)
//               setOut=<path>|memory|null  setOut.append=0|1  (setErr alike)
//               setProperty.<name>=<value>
//               systemExit=<n>  exitHook=<n> (when the hook is called)
//               exceptionDescribe=<text>|none  exceptionClear=<text>
//               throw=<text>  (Throw of an exception object)
//               detachCurrentThread=<thread id>  attachCurrentThread=<id>
//               attachCurrentThreadAsDaemon=<id>
//               destroyJavaVm=<thread id>  (on the call)
//               destroyJavaVm.waitsForEver=<id of the thread that ended
//               attached>  (before DestroyJavaVM blocks for good)
//   misuse:     pendingExceptionAt=<JNI function called with an exception
//               pending>; unexpected=<slot index of a JNI function the
//               launcher has no business calling>, then exit code 98;
//               fault=<description> (deleted or wrong reference, wrong
//               thread, wrong method kind), then exit code 97.
// Texts of Java strings are the UTF-8 form of their UTF-16 content.
// ExceptionDescribe writes the exception's text as printStackTrace gives it
// (no thread prefix) to System.err: the redirection file when set, else the
// process's standard error handle.
//
// JNI functions answered: GetVersion, FindClass, Throw, ExceptionOccurred/Describe/
// Clear/Check, DeleteLocalRef, GetObjectClass, Get(Static)MethodID,
// GetStaticFieldID (as a JDK 17: no such field, NoSuchFieldError pending),
// NewObject(V/A), Call{Object,Void}Method(V/A), CallStatic{Object,Void,Int}
// Method(V/A), GetStringLength, GetStringUTFLength/Chars, ReleaseStringUTFChars,
// GetArrayLength, NewObjectArray, Get/SetObjectArrayElement, NewCharArray,
// SetCharArrayRegion, GetJavaVM; JavaVM: all five. Classes: MainClass,
// sun/launcher/LauncherHelper, java/lang/{Object,Class,String,System,
// Throwable}, java/io/{OutputStream,FileOutputStream,ByteArrayOutputStream,
// PrintStream}, with the methods the launcher uses.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testjvm {

inline constexpr const wchar_t* recordVariable = L"TESTJVM_RECORD";
inline constexpr const wchar_t* scenarioVariable = L"TESTJVM_SCENARIO";
inline constexpr unsigned unexpectedCallExitCode = 98;
inline constexpr unsigned faultExitCode = 97;

struct RecordEntry {
    std::string key;
    std::string value;
};

// CR, LF and backslash as \r, \n and \\; everything else unchanged.
inline std::string escapeRecordValue(std::string_view value) {
    std::string result;
    result.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '\\': result += "\\\\"; break;
        case '\r': result += "\\r"; break;
        case '\n': result += "\\n"; break;
        default: result += c;
        }
    }
    return result;
}

// The inverse of escapeRecordValue.
inline std::string unescapeRecordValue(std::string_view value) {
    std::string result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        char next = value[++i];
        result += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    return result;
}

// The entries of a record file's content, in file order, values unescaped.
inline std::vector<RecordEntry> parseRecord(std::string_view text) {
    std::vector<RecordEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            entries.push_back({std::string(line.substr(0, equals)),
                               unescapeRecordValue(line.substr(equals + 1))});
        }
        start = end + 1;
    }
    return entries;
}

// Every value recorded under key, in order.
inline std::vector<std::string> recordValues(const std::vector<RecordEntry>& entries,
                                             std::string_view key) {
    std::vector<std::string> values;
    for (const RecordEntry& entry : entries) {
        if (entry.key == key) values.push_back(entry.value);
    }
    return values;
}

// The first value recorded under key.
inline std::optional<std::string> recordValue(const std::vector<RecordEntry>& entries,
                                              std::string_view key) {
    for (const RecordEntry& entry : entries) {
        if (entry.key == key) return entry.value;
    }
    return std::nullopt;
}

}  // namespace testjvm
