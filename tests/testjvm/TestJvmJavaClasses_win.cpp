#include "testjvm/TestJvmRuntime_win.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace testjvm {

namespace {

const MethodInfo methods[] = {
    {ClassId::launcherHelper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;", true,
     MethodId::checkAndLoadMain},
    {ClassId::application, "main", "([Ljava/lang/String;)V", true, MethodId::main},
    {ClassId::application, "secondaryMain", "([Ljava/lang/String;)V", true, MethodId::secondaryMainVoid},
    {ClassId::application, "secondaryMain", "([Ljava/lang/String;)I", true, MethodId::secondaryMainInt},
    {ClassId::string, "<init>", "([C)V", false, MethodId::stringInit},
    {ClassId::system, "exit", "(I)V", true, MethodId::systemExit},
    {ClassId::system, "setOut", "(Ljava/io/PrintStream;)V", true, MethodId::systemSetOut},
    {ClassId::system, "setErr", "(Ljava/io/PrintStream;)V", true, MethodId::systemSetErr},
    {ClassId::system, "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;", true,
     MethodId::systemSetProperty},
    {ClassId::fileOutputStream, "<init>", "(Ljava/lang/String;Z)V", false, MethodId::fileOutputStreamInit},
    {ClassId::printStream, "<init>", "(Ljava/io/OutputStream;)V", false, MethodId::printStreamInit},
    {ClassId::byteArrayOutputStream, "<init>", "()V", false, MethodId::byteArrayOutputStreamInit},
    {ClassId::byteArrayOutputStream, "toString", "()Ljava/lang/String;", false,
     MethodId::byteArrayOutputStreamToString},
    {ClassId::throwable, "printStackTrace", "(Ljava/io/PrintStream;)V", false, MethodId::printStackTrace},
    {ClassId::throwable, "toString", "()Ljava/lang/String;", false, MethodId::throwableToString},
};

// Guards the class table: exceptions on any thread add their classes to it.
SRWLOCK classLock = SRWLOCK_INIT;

ClassInfo* addClass(VmState& state, const std::string& name, ClassId id, bool findable) {
    auto found = state.classes.find(name);
    if (found != state.classes.end()) return found->second;
    auto* type = new ClassInfo{name, id, findable};
    type->self = new Object{Kind::classObject, type};
    state.classes.emplace(name, type);
    return type;
}

ClassInfo* sharedClass(const std::string& name, ClassId id) {
    AcquireSRWLockExclusive(&classLock);
    ClassInfo* type = addClass(vmState(), name, id, false);
    ReleaseSRWLockExclusive(&classLock);
    return type;
}

std::string dotted(std::string name) {
    std::replace(name.begin(), name.end(), '/', '.');
    return name;
}

std::string internalName(std::string name) {
    std::replace(name.begin(), name.end(), '.', '/');
    return name;
}

Object* newString(const std::wstring& text) {
    auto* string = new Object{Kind::string, sharedClass("java/lang/String", ClassId::string)};
    string->text = text;
    return string;
}

std::wstring firstLine(const std::wstring& text) {
    return text.substr(0, text.find_first_of(L"\r\n"));
}

// The text of a Java string argument as recorded: UTF-8, or "<null>".
std::string recordText(const Object* string) {
    return string == nullptr ? std::string("<null>") : toUtf8(string->text);
}

void recordArguments(Record& record, const std::string& prefix, const Object* array) {
    if (array == nullptr) {
        record.add(prefix, std::string_view("null"));
        return;
    }
    record.add(prefix + ".count", static_cast<long long>(array->elements.size()));
    for (std::size_t i = 0; i < array->elements.size(); ++i) {
        record.add(prefix + "." + std::to_string(i), recordText(array->elements[i]));
    }
}

std::wstring windowsErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : L"Windows error " + std::to_wstring(error);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                             text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

Object* openFileStream(ThreadEnv* thread, const Object* path, bool append) {
    if (path == nullptr) {
        raise(thread, "java.lang.NullPointerException", L"");
        return nullptr;
    }
    Record record;
    record.add("fileOutputStream", path->text).add("fileOutputStream.append", append ? 1 : 0);
    // As a Java runtime does: appending writes at the end, otherwise the file starts empty.
    HANDLE file = CreateFileW(path->text.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        record.add("fileOutputStream.error", static_cast<long long>(error));
        raise(thread, "java.io.FileNotFoundException", path->text + L" (" + windowsErrorText(error) + L")");
        return nullptr;
    }
    auto* stream = new Object{Kind::fileStream, sharedClass("java/io/FileOutputStream", ClassId::fileOutputStream)};
    stream->file = file;
    stream->path = path->text;
    stream->append = append;
    vmState().fileStreams.push_back(stream);
    return stream;
}

void setStandardStream(bool error, Object* printStream) {
    const char* key = error ? "setErr" : "setOut";
    Record record;
    if (printStream == nullptr) {
        record.add(key, std::string_view("null"));
    } else {
        const Object* target = printStream->target;
        if (target != nullptr && target->kind == Kind::fileStream) {
            record.add(key, target->path).add(std::string(key) + ".append", target->append ? 1 : 0);
        } else {
            record.add(key, std::string_view("memory"));
        }
    }
    (error ? vmState().errTarget : vmState().outTarget) = printStream;
}

// Runs the scenario's actions for main or secondaryMain.
void runActions(ThreadEnv* thread, const std::vector<std::wstring>& actions) {
    const Scenario& scenario = vmState().scenario;
    for (const std::wstring& action : actions) {
        if (action == L"return") return;
        if (action == L"throw") {
            const std::wstring& text = scenario.throwText;
            std::wstring name = text.substr(0, text.find_first_of(L": \t\r\n"));
            auto* throwable = new Object{Kind::throwable, sharedClass(internalName(toUtf8(name)), ClassId::throwable)};
            throwable->text = text;
            thread->pending = throwable;
            return;
        }
        if (action == L"print") {
            writeToStream(vmState().outTarget, STD_OUTPUT_HANDLE, toUtf8(scenario.stdoutLine + L"\r\n"));
            writeToStream(vmState().errTarget, STD_ERROR_HANDLE, toUtf8(scenario.stderrLine + L"\r\n"));
        } else if (action.rfind(L"exit:", 0) == 0) {
            systemExit(static_cast<jint>(std::wcstol(action.c_str() + 5, nullptr, 10)));
        } else if (action.rfind(L"sleep:", 0) == 0) {
            Sleep(static_cast<DWORD>(std::wcstoul(action.c_str() + 6, nullptr, 10)));
        } else {
            fault("unknown action in the scenario: " + toUtf8(action));
        }
    }
}

// HotSpot's LauncherHelper tells the user on System.err (System.out when
// toStderr is false) and calls System.exit(1) for a class it cannot load or
// one without main; other runtimes may answer null instead.
Object* checkAndLoadMain(ThreadEnv* thread, bool toStderr, const Object* name) {
    const Scenario& scenario = vmState().scenario;
    const ClassInfo* application = findClassNamed(scenario.mainClass);
    bool found = name != nullptr && application != nullptr && toUtf8(name->text) == dotted(scenario.mainClass);
    if (scenario.checkAndLoadMain == Scenario::CheckAndLoadMain::null) {
        if (found) return classObject(application);
        if (scenario.checkAndLoadMainThrows) {
            raise(thread, "java.lang.NoClassDefFoundError", name == nullptr ? L"" : name->text);
        }
        return nullptr;
    }
    if (name == nullptr) {
        raise(thread, "java.lang.NullPointerException", L"");
        return nullptr;
    }
    std::wstring message;
    if (!found) {
        message = L"Error: Could not find or load main class " + name->text +
                  L"\r\nCaused by: java.lang.ClassNotFoundException: " + name->text + L"\r\n";
    } else if (!scenario.hasMain) {
        message = L"Error: Main method not found in class " + name->text +
                  L", please define the main method as:\r\n   public static void main(String[] args)\r\n"
                  L"or a JavaFX application class must extend javafx.application.Application\r\n";
    } else {
        return classObject(application);
    }
    VmState& state = vmState();
    writeToStream(toStderr ? state.errTarget : state.outTarget, toStderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE,
                  toUtf8(message));
    systemExit(1);
}

}  // namespace

void defineClasses(VmState& state) {
    const Scenario& scenario = state.scenario;
    AcquireSRWLockExclusive(&classLock);
    addClass(state, scenario.mainClass, ClassId::application, true);
    if (scenario.launcherHelper) addClass(state, "sun/launcher/LauncherHelper", ClassId::launcherHelper, true);
    addClass(state, "java/lang/Object", ClassId::object, true);
    addClass(state, "java/lang/Class", ClassId::classClass, true);
    addClass(state, "java/lang/String", ClassId::string, true);
    addClass(state, "java/lang/System", ClassId::system, true);
    addClass(state, "java/lang/Throwable", ClassId::throwable, true);
    addClass(state, "java/io/OutputStream", ClassId::outputStream, true);
    addClass(state, "java/io/FileOutputStream", ClassId::fileOutputStream, true);
    addClass(state, "java/io/ByteArrayOutputStream", ClassId::byteArrayOutputStream, true);
    addClass(state, "java/io/PrintStream", ClassId::printStream, true);
    for (const std::string& hidden : scenario.hiddenClasses) {
        auto found = state.classes.find(hidden);
        if (found != state.classes.end()) found->second->findable = false;
    }
    ReleaseSRWLockExclusive(&classLock);
}

const ClassInfo* findClassNamed(const std::string& name) {
    AcquireSRWLockShared(&classLock);
    const auto& classes = vmState().classes;
    auto found = classes.find(name);
    const ClassInfo* type = found != classes.end() && found->second->findable ? found->second : nullptr;
    ReleaseSRWLockShared(&classLock);
    return type;
}

const ClassInfo* arrayClass(const ClassInfo* elementType) {
    return sharedClass("[L" + elementType->name + ";", ClassId::array);
}

Object* classObject(const ClassInfo* type) {
    return type->self;
}

Ref* newRef(Object* object) {
    if (object == nullptr) return nullptr;
    ThreadEnv* owner = currentThreadEnv();
    if (owner != nullptr) ++owner->liveLocalRefs;
    return new Ref{Ref::liveMagic, object, owner};
}

bool isMethod(const void* candidate) {
    return std::any_of(std::begin(methods), std::end(methods),
                       [candidate](const MethodInfo& method) { return &method == candidate; });
}

const MethodInfo* findMethod(const ClassInfo* type, const char* name, const char* signature, bool isStatic) {
    const Scenario& scenario = vmState().scenario;
    for (const MethodInfo& method : methods) {
        if (method.owner != type->id || method.isStatic != isStatic || std::strcmp(method.name, name) != 0 ||
            std::strcmp(method.signature, signature) != 0) {
            continue;
        }
        switch (method.id) {
        case MethodId::main:
            return scenario.hasMain ? &method : nullptr;
        case MethodId::secondaryMainVoid:
            return scenario.secondaryMain == Scenario::Secondary::returnsVoid ? &method : nullptr;
        case MethodId::secondaryMainInt:
            return scenario.secondaryMain == Scenario::Secondary::returnsInt ? &method : nullptr;
        default:
            return &method;
        }
    }
    return nullptr;
}

void raise(ThreadEnv* thread, const std::string& javaName, const std::wstring& message) {
    auto* throwable = new Object{Kind::throwable, sharedClass(internalName(javaName), ClassId::throwable)};
    throwable->text = fromUtf8(javaName) + (message.empty() ? L"" : L": " + message) + L"\r\n";
    thread->pending = throwable;
}

Value invokeMethod(ThreadEnv* thread, const MethodInfo& method, Object* receiver,
                   const std::vector<Value>& arguments) {
    VmState& state = vmState();
    Value result;
    switch (method.id) {
    case MethodId::checkAndLoadMain: {
        const Object* name = arguments[2].object;
        Record().add("checkAndLoadMain", std::to_string(arguments[0].number) + "," +
                                             std::to_string(arguments[1].number) + "," + recordText(name));
        result.object = checkAndLoadMain(thread, arguments[0].number != 0, name);
        break;
    }
    case MethodId::main: {
        {
            Record record;
            record.add("main", static_cast<long long>(GetCurrentThreadId()));
            record.add("mainLiveLocalRefs", thread->liveLocalRefs);
            recordArguments(record, "mainArgs", arguments[0].object);
        }
        runActions(thread, state.scenario.mainActions);
        break;
    }
    case MethodId::secondaryMainVoid:
    case MethodId::secondaryMainInt: {
        {
            Record record;
            record.add("secondaryMain", static_cast<long long>(GetCurrentThreadId()));
            recordArguments(record, "secondaryArgs", arguments[0].object);
        }
        runActions(thread, state.scenario.secondaryActions);
        result.number = state.scenario.secondaryResult;
        break;
    }
    case MethodId::stringInit: {
        const Object* chars = arguments[0].object;
        if (chars == nullptr) {
            raise(thread, "java.lang.NullPointerException", L"");
        } else {
            result.object = newString(chars->text);
        }
        break;
    }
    case MethodId::systemExit:
        systemExit(static_cast<jint>(arguments[0].number));
    case MethodId::systemSetOut:
    case MethodId::systemSetErr:
        setStandardStream(method.id == MethodId::systemSetErr, arguments[0].object);
        break;
    case MethodId::systemSetProperty:
        if (arguments[0].object == nullptr || arguments[1].object == nullptr) {
            raise(thread, "java.lang.NullPointerException", L"");
        } else {
            Record().add("setProperty." + toUtf8(arguments[0].object->text), arguments[1].object->text);
        }
        break;
    case MethodId::fileOutputStreamInit:
        result.object = openFileStream(thread, arguments[0].object, arguments[1].number != 0);
        break;
    case MethodId::printStreamInit: {
        Object* out = arguments[0].object;
        if (out == nullptr) {
            raise(thread, "java.lang.NullPointerException", L"");
            break;
        }
        result.object = new Object{Kind::printStream, sharedClass("java/io/PrintStream", ClassId::printStream)};
        result.object->target = out;
        break;
    }
    case MethodId::byteArrayOutputStreamInit:
        result.object = new Object{Kind::byteStream, receiver->type};
        break;
    case MethodId::byteArrayOutputStreamToString:
        result.object = newString(fromUtf8(receiver->bytes));
        break;
    case MethodId::printStackTrace:
        if (arguments[0].object == nullptr) {
            raise(thread, "java.lang.NullPointerException", L"");
        } else {
            writeToStream(arguments[0].object, 0, toUtf8(receiver->text));
        }
        break;
    case MethodId::throwableToString:
        result.object = newString(firstLine(receiver->text));
        break;
    }
    return result;
}

void systemExit(jint status) {
    Record().add("systemExit", static_cast<long long>(status));
    // As a Java runtime does: the embedder's exit hook learns the status, then the process ends.
    if (vmState().exitHook != nullptr) {
        Record().add("exitHook", static_cast<long long>(status));
        vmState().exitHook(status);
    }
    ExitProcess(static_cast<UINT>(status));
}

void writeToStream(Object* stream, DWORD stdHandle, const std::string& bytes) {
    if (stream == nullptr) {
        HANDLE handle = stdHandle != 0 ? GetStdHandle(stdHandle) : nullptr;
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return;
    }
    switch (stream->kind) {
    case Kind::printStream:
        writeToStream(stream->target, stdHandle, bytes);
        break;
    case Kind::fileStream: {
        DWORD written = 0;
        WriteFile(stream->file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        break;
    }
    case Kind::byteStream:
        stream->bytes += bytes;
        break;
    default:
        fault("write to an object that is no stream");
    }
}

std::string toModifiedUtf8(const std::wstring& text) {
    std::string result;
    // Every UTF-16 unit on its own: NUL as two bytes, each surrogate as three.
    for (wchar_t unit : text) {
        auto c = static_cast<unsigned>(static_cast<unsigned short>(unit));
        if (c != 0 && c < 0x80) {
            result += static_cast<char>(c);
        } else if (c < 0x800) {
            result += static_cast<char>(0xC0 | (c >> 6));
            result += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            result += static_cast<char>(0xE0 | (c >> 12));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return result;
}

}  // namespace testjvm
