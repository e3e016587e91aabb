#pragma once

// Inside of testjvm.dll, shared by its source files; see TestJvm.h for what
// it does as seen from outside.

#include <jni.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace testjvm {

// ---------------------------------------------------------------- record

// One event's lines, appended to the record file with one write when the
// Record goes out of scope (nothing when no record file is configured).
class Record {
public:
    Record() = default;
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    ~Record();

    Record& add(std::string_view key, std::string_view utf8Value);
    Record& add(std::string_view key, const std::wstring& value);
    Record& add(std::string_view key, long long number);
    Record& addHex(std::string_view key, std::uint32_t number);

private:
    std::string lines;
};

// Reads TESTJVM_RECORD; called once when the DLL is loaded.
void initializeRecord();

std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(std::string_view text);

// Writes "testjvm: " text to the process's standard error, when it has one.
void tellStandardError(const std::string& text);

// Records fault=<what> and ends the process with faultExitCode.
[[noreturn]] void fault(const std::string& what);

// ---------------------------------------------------------------- scenario

struct Scenario {
    jint createResult = JNI_OK;
    DWORD createDelayMs = 0;
    jint defaultStackSize = 0;
    bool launcherHelper = true;
    // hotspot: LauncherHelper.checkAndLoadMain ends the process for a class it
    // cannot use; null: it answers null, as other runtimes may.
    enum class CheckAndLoadMain { hotspot, null } checkAndLoadMain = CheckAndLoadMain::hotspot;
    bool checkAndLoadMainThrows = true;
    std::string mainClass = "com/example/App";
    bool hasMain = true;
    bool missingMethodThrows = true;
    std::vector<std::wstring> mainActions{L"return"};
    std::wstring throwText;
    std::wstring stdoutLine = L"stdout line";
    std::wstring stderrLine = L"stderr line";
    std::vector<std::string> hiddenClasses;
    jint detachResult = JNI_OK;
    jint destroyResult = JNI_OK;
    enum class Secondary { none, returnsVoid, returnsInt } secondaryMain = Secondary::none;
    std::vector<std::wstring> secondaryActions{L"return"};
    jint secondaryResult = 0;
};

// The scenario file named by TESTJVM_SCENARIO, or the defaults.
Scenario readScenario();

// ---------------------------------------------------------------- objects

enum class ClassId {
    application,
    launcherHelper,
    object,
    classClass,
    string,
    system,
    throwable,
    outputStream,
    fileOutputStream,
    byteArrayOutputStream,
    printStream,
    array,
};

struct Object;

struct ClassInfo {
    std::string name;  // internal form: java/lang/String
    ClassId id;
    bool findable;     // FindClass finds it
    Object* self = nullptr;  // the class object standing for it
};

enum class Kind { classObject, string, charArray, objectArray, fileStream, byteStream, printStream, throwable };

// A Java object. Objects live until the process ends; references to them
// (Ref) are what the launcher holds and deletes.
struct Object {
    Object(Kind kind, const ClassInfo* type) : kind(kind), type(type) {}

    Kind kind;
    const ClassInfo* type;        // the object's class; for a class object, the class it stands for
    std::wstring text;            // string, char array: UTF-16 content; throwable: its trace
    std::vector<Object*> elements;  // object array
    const ClassInfo* elementType = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;  // file stream
    std::wstring path;            // file stream
    bool append = false;          // file stream
    std::string bytes;            // byte stream
    Object* target = nullptr;     // print stream: the stream it writes to
};

struct ThreadEnv;

struct Ref {
    static constexpr std::uint32_t liveMagic = 0x4A524546;  // "JREF"
    std::uint32_t magic = liveMagic;
    Object* object;
    ThreadEnv* owner;  // the thread that holds it
};

enum class MethodId {
    checkAndLoadMain,
    main,
    secondaryMainVoid,
    secondaryMainInt,
    stringInit,
    systemExit,
    systemSetOut,
    systemSetErr,
    systemSetProperty,
    fileOutputStreamInit,
    printStreamInit,
    byteArrayOutputStreamInit,
    byteArrayOutputStreamToString,
    printStackTrace,
    throwableToString,
};

struct MethodInfo {
    ClassId owner;
    const char* name;
    const char* signature;
    bool isStatic;
    MethodId id;
};

// ---------------------------------------------------------------- threads and the VM

// A thread's JNIEnv with what belongs to that thread. The JNIEnv must stay the
// first member: the launcher's JNIEnv* points at it.
struct ThreadEnv {
    JNIEnv env;
    DWORD threadId;
    HANDLE handle;  // signalled when the thread has ended
    Object* pending = nullptr;
    // Read by DestroyJavaVM on another thread.
    std::atomic<bool> attached{false};
    bool daemon = false;
    long long liveLocalRefs = 0;  // created on this thread and not deleted
};

struct VmState {
    Scenario scenario;
    bool created = false;
    bool destroyed = false;
    JavaVM vm;
    void(JNICALL* exitHook)(jint) = nullptr;
    void(JNICALL* abortHook)() = nullptr;
    std::map<std::string, ClassInfo*> classes;
    Object* outTarget = nullptr;  // System.out's print stream; null: the process's handle
    Object* errTarget = nullptr;
    std::vector<Object*> fileStreams;  // closed when the DLL is unloaded
};

VmState& vmState();

const JNINativeInterface_* nativeInterface();
const JNIInvokeInterface_* invokeInterface();

// The calling thread's environment; null when it is not attached.
ThreadEnv* currentThreadEnv();
// Attaches the calling thread (again, after it was detached) and returns its
// environment; a thread already attached stays as it is.
ThreadEnv* attachCurrentThread(bool daemon);

// ---------------------------------------------------------------- Java side

// Sets up the classes of a freshly created VM.
void defineClasses(VmState& state);
// The class named name, or null when the scenario does not have it.
const ClassInfo* findClassNamed(const std::string& name);
// The class of arrays of elementType.
const ClassInfo* arrayClass(const ClassInfo* elementType);
// The class object standing for type.
Object* classObject(const ClassInfo* type);
// A new local reference to object, held by the calling thread; null for null.
Ref* newRef(Object* object);

// Whether candidate is one of the method ids this VM hands out.
bool isMethod(const void* candidate);
// The method, or null when the class (in this scenario) has none such.
const MethodInfo* findMethod(const ClassInfo* type, const char* name, const char* signature, bool isStatic);

// Leaves a new exception of the class named javaName (dotted) pending on
// thread, whose printStackTrace text is javaName: message, CR LF.
void raise(ThreadEnv* thread, const std::string& javaName, const std::wstring& message);

// One argument or result of a Java method: integral values (boolean, char,
// int, ...) in number, float and double in real, references in object.
struct Value {
    long long number = 0;
    double real = 0;
    Object* object = nullptr;
};

// Runs method. receiver is the class object for static methods and
// constructors, the instance otherwise; the caller has checked that the
// method belongs to it and that the arguments match the signature.
Value invokeMethod(ThreadEnv* thread, const MethodInfo& method, Object* receiver,
                   const std::vector<Value>& arguments);

// Ends the process as System.exit(status) does.
[[noreturn]] void systemExit(jint status);

// Writes the UTF-8 bytes to a print stream, file stream or byte stream;
// null: the process's standard handle stdHandle.
void writeToStream(Object* stream, DWORD stdHandle, const std::string& bytes);

// The modified UTF-8 form that GetStringUTFChars gives.
std::string toModifiedUtf8(const std::wstring& text);

}  // namespace testjvm
