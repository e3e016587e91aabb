// The JNIEnv function table: checks what the launcher hands over, then lets
// the Java side (TestJvmJavaClasses_win.cpp) act.

#include "testjvm/TestJvm.h"
#include "testjvm/TestJvmRuntime_win.h"

#include <cstdarg>
#include <cstring>
#include <set>
#include <utility>

namespace testjvm {

namespace {

constexpr std::uint32_t deletedMagic = 0x44454144;  // "DEAD"

// Checks that env is the calling thread's live environment; notes a call
// made while an exception is pending, which JNI allows only for a few
// functions.
ThreadEnv* enter(JNIEnv* env, const char* function, bool exceptionSafe = false) {
    if (env == nullptr) fault(std::string(function) + ": null JNIEnv");
    auto* thread = reinterpret_cast<ThreadEnv*>(env);
    if (thread->threadId != GetCurrentThreadId()) {
        fault(std::string(function) + ": JNIEnv of thread " + std::to_string(thread->threadId) +
              " used on thread " + std::to_string(GetCurrentThreadId()));
    }
    if (!thread->attached) fault(std::string(function) + ": JNIEnv of a detached thread");
    if (!exceptionSafe && thread->pending != nullptr) Record().add("pendingExceptionAt", std::string_view(function));
    return thread;
}

Object* deref(jobject handle, const char* function, bool nullable = false) {
    if (handle == nullptr) {
        if (nullable) return nullptr;
        fault(std::string(function) + ": null reference");
    }
    auto* ref = reinterpret_cast<Ref*>(handle);
    if (ref->magic == deletedMagic) fault(std::string(function) + ": reference used after DeleteLocalRef");
    if (ref->magic != Ref::liveMagic) fault(std::string(function) + ": not a reference");
    return ref->object;
}

Object* derefKind(jobject handle, Kind kind, const char* function) {
    Object* object = deref(handle, function);
    if (object->kind != kind) fault(std::string(function) + ": reference of the wrong kind");
    return object;
}

template <class Handle>
Handle toHandle(Object* object) {
    return reinterpret_cast<Handle>(newRef(object));
}

const MethodInfo& methodFrom(jmethodID id, const char* function) {
    if (!isMethod(id)) fault(std::string(function) + ": not a method id");
    return *reinterpret_cast<const MethodInfo*>(id);
}

// The parameter types of a method signature, one entry per parameter: its
// first letter ('L' and '[' for references).
std::string parameterKinds(const char* signature) {
    std::string kinds;
    const char* p = signature + 1;
    while (*p != ')' && *p != '\0') {
        kinds += *p;
        while (*p == '[') ++p;
        if (*p == 'L') p = std::strchr(p, ';');
        ++p;
    }
    return kinds;
}

char returnKind(const char* signature) {
    char kind = std::strchr(signature, ')')[1];
    return kind == '[' ? 'L' : kind;
}

std::vector<Value> readArguments(const MethodInfo& method, va_list arguments, const char* function) {
    std::vector<Value> values;
    for (char kind : parameterKinds(method.signature)) {
        Value value;
        switch (kind) {
        case 'J': value.number = va_arg(arguments, jlong); break;
        case 'F':
        case 'D': value.real = va_arg(arguments, double); break;
        case 'L':
        case '[': value.object = deref(va_arg(arguments, jobject), function, true); break;
        default: value.number = va_arg(arguments, int); break;
        }
        values.push_back(value);
    }
    return values;
}

std::vector<Value> readArguments(const MethodInfo& method, const jvalue* arguments, const char* function) {
    std::vector<Value> values;
    std::string kinds = parameterKinds(method.signature);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const jvalue& argument = arguments[i];
        Value value;
        switch (kinds[i]) {
        case 'Z': value.number = argument.z; break;
        case 'B': value.number = argument.b; break;
        case 'C': value.number = argument.c; break;
        case 'S': value.number = argument.s; break;
        case 'I': value.number = argument.i; break;
        case 'J': value.number = argument.j; break;
        case 'F': value.real = argument.f; break;
        case 'D': value.real = argument.d; break;
        default: value.object = deref(argument.l, function, true); break;
        }
        values.push_back(value);
    }
    return values;
}

enum class CallKind { staticMethod, instanceMethod, constructor };

// Checks that method may be called on target in this way and expects
// the given result kind ('V', 'L', 'I'); answers the receiver.
Object* checkCall(const char* function, CallKind call, jobject target, const MethodInfo& method, char result) {
    Object* receiver = deref(target, function);
    bool isConstructor = std::strcmp(method.name, "<init>") == 0;
    if (call == CallKind::instanceMethod) {
        if (method.isStatic || isConstructor) fault(std::string(function) + ": " + method.name + " is no instance method");
        bool fits = method.owner == ClassId::throwable ? receiver->kind == Kind::throwable
                                                        : receiver->type->id == method.owner;
        if (!fits) fault(std::string(function) + ": " + method.name + " called on an object of another class");
    } else {
        if (receiver->kind != Kind::classObject) fault(std::string(function) + ": no class");
        if (call == CallKind::staticMethod && !method.isStatic) fault(std::string(function) + ": " + method.name + " is not static");
        if (call == CallKind::constructor && !isConstructor) fault(std::string(function) + ": " + method.name + " is no constructor");
        if (receiver->type->id != method.owner) fault(std::string(function) + ": " + method.name + " called on another class");
    }
    if (returnKind(method.signature) != result) {
        fault(std::string(function) + " used for " + method.name + method.signature);
    }
    return receiver;
}

template <class Arguments>
Value call(JNIEnv* env, const char* function, CallKind kind, jobject target, jmethodID id, char result,
           Arguments arguments) {
    ThreadEnv* thread = enter(env, function);
    const MethodInfo& method = methodFrom(id, function);
    Object* receiver = checkCall(function, kind, target, method, result);
    return invokeMethod(thread, method, receiver, readArguments(method, arguments, function));
}

// ------------------------------------------------------------- the functions

jint JNICALL getVersion(JNIEnv* env) {
    enter(env, "GetVersion");
    return JNI_VERSION_1_8;
}

jclass JNICALL findClass(JNIEnv* env, const char* name) {
    ThreadEnv* thread = enter(env, "FindClass");
    if (name == nullptr) fault("FindClass: null name");
    Record().add("findClass", std::string_view(name));
    const ClassInfo* type = findClassNamed(name);
    if (type == nullptr) {
        raise(thread, "java.lang.NoClassDefFoundError", fromUtf8(name));
        return nullptr;
    }
    return toHandle<jclass>(classObject(type));
}

jint JNICALL throwException(JNIEnv* env, jthrowable exception) {
    ThreadEnv* thread = enter(env, "Throw", false);
    Object* object = derefKind(exception, Kind::throwable, "Throw");
    Record().add("throw", object->text);
    thread->pending = object;
    return JNI_OK;
}

jthrowable JNICALL exceptionOccurred(JNIEnv* env) {
    return toHandle<jthrowable>(enter(env, "ExceptionOccurred", true)->pending);
}

void JNICALL exceptionDescribe(JNIEnv* env) {
    ThreadEnv* thread = enter(env, "ExceptionDescribe", true);
    if (thread->pending == nullptr) {
        Record().add("exceptionDescribe", std::string_view("none"));
        return;
    }
    std::wstring text = thread->pending->text;
    thread->pending = nullptr;
    Record().add("exceptionDescribe", text);
    writeToStream(vmState().errTarget, STD_ERROR_HANDLE, toUtf8(text));
}

void JNICALL exceptionClear(JNIEnv* env) {
    ThreadEnv* thread = enter(env, "ExceptionClear", true);
    if (thread->pending != nullptr) Record().add("exceptionClear", thread->pending->text);
    thread->pending = nullptr;
}

jboolean JNICALL exceptionCheck(JNIEnv* env) {
    return enter(env, "ExceptionCheck", true)->pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

void JNICALL deleteLocalRef(JNIEnv* env, jobject object) {
    enter(env, "DeleteLocalRef", true);
    if (object == nullptr) return;
    deref(object, "DeleteLocalRef");
    auto* ref = reinterpret_cast<Ref*>(object);
    ref->magic = deletedMagic;
    if (ref->owner != nullptr) --ref->owner->liveLocalRefs;
}

jclass JNICALL getObjectClass(JNIEnv* env, jobject object) {
    enter(env, "GetObjectClass");
    Object* target = deref(object, "GetObjectClass");
    const ClassInfo* type = target->kind == Kind::classObject ? findClassNamed("java/lang/Class") : target->type;
    if (target->kind == Kind::objectArray) type = arrayClass(target->elementType);
    return toHandle<jclass>(type == nullptr ? nullptr : classObject(type));
}

jmethodID lookUpMethod(JNIEnv* env, jclass cls, const char* name, const char* signature, bool isStatic) {
    const char* function = isStatic ? "GetStaticMethodID" : "GetMethodID";
    ThreadEnv* thread = enter(env, function);
    const ClassInfo* type = derefKind(cls, Kind::classObject, function)->type;
    if (name == nullptr || signature == nullptr) fault(std::string(function) + ": null name or signature");
    Record().add(isStatic ? "getStaticMethodID" : "getMethodID", type->name + "." + name + signature);
    const MethodInfo* method = findMethod(type, name, signature, isStatic);
    if (method == nullptr && vmState().scenario.missingMethodThrows) {
        raise(thread, "java.lang.NoSuchMethodError", fromUtf8(name));
    }
    return reinterpret_cast<jmethodID>(const_cast<MethodInfo*>(method));
}

jmethodID JNICALL getMethodId(JNIEnv* env, jclass cls, const char* name, const char* signature) {
    return lookUpMethod(env, cls, name, signature, false);
}

jmethodID JNICALL getStaticMethodId(JNIEnv* env, jclass cls, const char* name, const char* signature) {
    return lookUpMethod(env, cls, name, signature, true);
}

// As a JDK before 21: no class has a static field the launcher may ask for
// (LauncherHelper's isStaticMain and noArgMain came with 21).
jfieldID JNICALL getStaticFieldId(JNIEnv* env, jclass cls, const char* name, const char* signature) {
    ThreadEnv* thread = enter(env, "GetStaticFieldID");
    const ClassInfo* type = derefKind(cls, Kind::classObject, "GetStaticFieldID")->type;
    if (name == nullptr || signature == nullptr) fault("GetStaticFieldID: null name or signature");
    Record().add("getStaticFieldID", type->name + "." + name + signature);
    raise(thread, "java.lang.NoSuchFieldError", fromUtf8(name));
    return nullptr;
}

jobject JNICALL newObjectV(JNIEnv* env, jclass cls, jmethodID id, va_list arguments) {
    return toHandle<jobject>(call(env, "NewObjectV", CallKind::constructor, cls, id, 'V', arguments).object);
}

jobject JNICALL newObjectA(JNIEnv* env, jclass cls, jmethodID id, const jvalue* arguments) {
    return toHandle<jobject>(call(env, "NewObjectA", CallKind::constructor, cls, id, 'V', arguments).object);
}

jobject JNICALL newObject(JNIEnv* env, jclass cls, jmethodID id, ...) {
    va_list arguments;
    va_start(arguments, id);
    jobject result = toHandle<jobject>(call(env, "NewObject", CallKind::constructor, cls, id, 'V', arguments).object);
    va_end(arguments);
    return result;
}

// The Call<Type>Method families, each in its three forms.
#define TESTJVM_CALLS(name, label, Target, kind, result, ReturnType, convert)                              \
    ReturnType JNICALL name##V(JNIEnv* env, Target target, jmethodID id, va_list arguments) {            \
        Value value = call(env, label "V", kind, target, id, result, arguments);                           \
        return convert;                                                                                    \
    }                                                                                                      \
    ReturnType JNICALL name##A(JNIEnv* env, Target target, jmethodID id, const jvalue* arguments) {      \
        Value value = call(env, label "A", kind, target, id, result, arguments);                           \
        return convert;                                                                                    \
    }                                                                                                      \
    ReturnType JNICALL name(JNIEnv* env, Target target, jmethodID id, ...) {                             \
        va_list arguments;                                                                                 \
        va_start(arguments, id);                                                                           \
        Value value = call(env, label, kind, target, id, result, arguments);                               \
        va_end(arguments);                                                                                 \
        return convert;                                                                                    \
    }

TESTJVM_CALLS(callObjectMethod, "CallObjectMethod", jobject, CallKind::instanceMethod, 'L', jobject,
              toHandle<jobject>(value.object))
TESTJVM_CALLS(callVoidMethod, "CallVoidMethod", jobject, CallKind::instanceMethod, 'V', void, (void)value)
TESTJVM_CALLS(callStaticObjectMethod, "CallStaticObjectMethod", jclass, CallKind::staticMethod, 'L', jobject,
              toHandle<jobject>(value.object))
TESTJVM_CALLS(callStaticVoidMethod, "CallStaticVoidMethod", jclass, CallKind::staticMethod, 'V', void,
              (void)value)
TESTJVM_CALLS(callStaticIntMethod, "CallStaticIntMethod", jclass, CallKind::staticMethod, 'I', jint,
              static_cast<jint>(value.number))

#undef TESTJVM_CALLS

jsize JNICALL getStringLength(JNIEnv* env, jstring string) {
    enter(env, "GetStringLength");
    return static_cast<jsize>(derefKind(string, Kind::string, "GetStringLength")->text.size());
}

jsize JNICALL getStringUtfLength(JNIEnv* env, jstring string) {
    enter(env, "GetStringUTFLength");
    return static_cast<jsize>(toModifiedUtf8(derefKind(string, Kind::string, "GetStringUTFLength")->text).size());
}

// Buffers handed out by GetStringUTFChars and not yet released.
SRWLOCK utfLock = SRWLOCK_INIT;
std::set<const char*> utfBuffers;

const char* JNICALL getStringUtfChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    enter(env, "GetStringUTFChars");
    std::string bytes = toModifiedUtf8(derefKind(string, Kind::string, "GetStringUTFChars")->text);
    char* buffer = new char[bytes.size() + 1];
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    AcquireSRWLockExclusive(&utfLock);
    utfBuffers.insert(buffer);
    ReleaseSRWLockExclusive(&utfLock);
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    return buffer;
}

void JNICALL releaseStringUtfChars(JNIEnv* env, jstring string, const char* chars) {
    enter(env, "ReleaseStringUTFChars", true);
    derefKind(string, Kind::string, "ReleaseStringUTFChars");
    AcquireSRWLockExclusive(&utfLock);
    bool known = utfBuffers.erase(chars) == 1;
    ReleaseSRWLockExclusive(&utfLock);
    if (!known) fault("ReleaseStringUTFChars: not a buffer of GetStringUTFChars, or released twice");
    delete[] chars;
}

jsize JNICALL getArrayLength(JNIEnv* env, jarray array) {
    enter(env, "GetArrayLength");
    Object* object = deref(array, "GetArrayLength");
    if (object->kind == Kind::charArray) return static_cast<jsize>(object->text.size());
    if (object->kind == Kind::objectArray) return static_cast<jsize>(object->elements.size());
    fault("GetArrayLength: not an array");
}

jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass elementClass, jobject initial) {
    ThreadEnv* thread = enter(env, "NewObjectArray");
    const ClassInfo* elementType = derefKind(elementClass, Kind::classObject, "NewObjectArray")->type;
    Object* fill = deref(initial, "NewObjectArray", true);
    if (length < 0) {
        raise(thread, "java.lang.NegativeArraySizeException", std::to_wstring(length));
        return nullptr;
    }
    auto* array = new Object{Kind::objectArray, arrayClass(elementType)};
    array->elementType = elementType;
    array->elements.assign(static_cast<std::size_t>(length), fill);
    return toHandle<jobjectArray>(array);
}

bool outOfBounds(ThreadEnv* thread, std::size_t size, jsize start, jsize length) {
    if (start >= 0 && length >= 0 && static_cast<std::size_t>(start) + static_cast<std::size_t>(length) <= size) {
        return false;
    }
    raise(thread, "java.lang.ArrayIndexOutOfBoundsException",
          L"Array region " + std::to_wstring(start) + L".." + std::to_wstring(start + length) +
              L" out of bounds for length " + std::to_wstring(size));
    return true;
}

jobject JNICALL getObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index) {
    ThreadEnv* thread = enter(env, "GetObjectArrayElement");
    Object* object = derefKind(array, Kind::objectArray, "GetObjectArrayElement");
    if (outOfBounds(thread, object->elements.size(), index, 1)) return nullptr;
    return toHandle<jobject>(object->elements[static_cast<std::size_t>(index)]);
}

void JNICALL setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
    ThreadEnv* thread = enter(env, "SetObjectArrayElement");
    Object* object = derefKind(array, Kind::objectArray, "SetObjectArrayElement");
    Object* element = deref(value, "SetObjectArrayElement", true);
    if (outOfBounds(thread, object->elements.size(), index, 1)) return;
    if (element != nullptr && object->elementType->id != ClassId::object && element->type != object->elementType) {
        raise(thread, "java.lang.ArrayStoreException", fromUtf8(element->type->name));
        return;
    }
    object->elements[static_cast<std::size_t>(index)] = element;
}

jcharArray JNICALL newCharArray(JNIEnv* env, jsize length) {
    ThreadEnv* thread = enter(env, "NewCharArray");
    if (length < 0) {
        raise(thread, "java.lang.NegativeArraySizeException", std::to_wstring(length));
        return nullptr;
    }
    auto* array = new Object{Kind::charArray, nullptr};
    array->text.assign(static_cast<std::size_t>(length), L'\0');
    return toHandle<jcharArray>(array);
}

void JNICALL setCharArrayRegion(JNIEnv* env, jcharArray array, jsize start, jsize length, const jchar* chars) {
    ThreadEnv* thread = enter(env, "SetCharArrayRegion");
    Object* object = derefKind(array, Kind::charArray, "SetCharArrayRegion");
    if (outOfBounds(thread, object->text.size(), start, length)) return;
    if (length > 0 && chars == nullptr) fault("SetCharArrayRegion: null buffer");
    for (jsize i = 0; i < length; ++i) object->text[static_cast<std::size_t>(start + i)] = static_cast<wchar_t>(chars[i]);
}

jint JNICALL getJavaVm(JNIEnv* env, JavaVM** vm) {
    enter(env, "GetJavaVM");
    *vm = &vmState().vm;
    return JNI_OK;
}

// A function the launcher has no business calling: the test is to notice.
template <std::size_t Slot>
void JNICALL unexpectedFunction() {
    Record().add("unexpected", static_cast<long long>(Slot));
    tellStandardError("unexpected JNI function, slot " + std::to_string(Slot));
    ExitProcess(unexpectedCallExitCode);
}

using AnyFunction = void(JNICALL*)();
constexpr std::size_t slotCount = sizeof(JNINativeInterface_) / sizeof(AnyFunction);

template <std::size_t... Slots>
void fillWithUnexpected(AnyFunction* slots, std::index_sequence<Slots...>) {
    ((slots[Slots] = &unexpectedFunction<Slots>), ...);
}

JNINativeInterface_ buildNativeInterface() {
    static_assert(sizeof(JNINativeInterface_) % sizeof(AnyFunction) == 0, "a table of pointers");
    AnyFunction slots[slotCount];
    fillWithUnexpected(slots, std::make_index_sequence<slotCount>());
    JNINativeInterface_ table;
    std::memcpy(&table, slots, sizeof table);
    table.reserved0 = table.reserved1 = table.reserved2 = table.reserved3 = nullptr;
    table.GetVersion = getVersion;
    table.FindClass = findClass;
    table.Throw = throwException;
    table.ExceptionOccurred = exceptionOccurred;
    table.ExceptionDescribe = exceptionDescribe;
    table.ExceptionClear = exceptionClear;
    table.ExceptionCheck = exceptionCheck;
    table.DeleteLocalRef = deleteLocalRef;
    table.GetObjectClass = getObjectClass;
    table.GetMethodID = getMethodId;
    table.GetStaticMethodID = getStaticMethodId;
    table.GetStaticFieldID = getStaticFieldId;
    table.NewObject = newObject;
    table.NewObjectV = newObjectV;
    table.NewObjectA = newObjectA;
    table.CallObjectMethod = callObjectMethod;
    table.CallObjectMethodV = callObjectMethodV;
    table.CallObjectMethodA = callObjectMethodA;
    table.CallVoidMethod = callVoidMethod;
    table.CallVoidMethodV = callVoidMethodV;
    table.CallVoidMethodA = callVoidMethodA;
    table.CallStaticObjectMethod = callStaticObjectMethod;
    table.CallStaticObjectMethodV = callStaticObjectMethodV;
    table.CallStaticObjectMethodA = callStaticObjectMethodA;
    table.CallStaticVoidMethod = callStaticVoidMethod;
    table.CallStaticVoidMethodV = callStaticVoidMethodV;
    table.CallStaticVoidMethodA = callStaticVoidMethodA;
    table.CallStaticIntMethod = callStaticIntMethod;
    table.CallStaticIntMethodV = callStaticIntMethodV;
    table.CallStaticIntMethodA = callStaticIntMethodA;
    table.GetStringLength = getStringLength;
    table.GetStringUTFLength = getStringUtfLength;
    table.GetStringUTFChars = getStringUtfChars;
    table.ReleaseStringUTFChars = releaseStringUtfChars;
    table.GetArrayLength = getArrayLength;
    table.NewObjectArray = newObjectArray;
    table.GetObjectArrayElement = getObjectArrayElement;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.NewCharArray = newCharArray;
    table.SetCharArrayRegion = setCharArrayRegion;
    table.GetJavaVM = getJavaVm;
    return table;
}

}  // namespace

const JNINativeInterface_* nativeInterface() {
    static const JNINativeInterface_ table = buildNativeInterface();
    return &table;
}

}  // namespace testjvm
