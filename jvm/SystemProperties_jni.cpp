#include "jvm/SystemProperties_jni.h"

#include "jvm/MainClass_jni.h"
#include "util/Trace.h"

bool setLateProperties(JNIEnv* env, const std::vector<LateProperty>& properties) {
    if (properties.empty()) return true;
    jclass system = env->FindClass("java/lang/System");
    jmethodID setProperty = system ? env->GetStaticMethodID(system, "setProperty",
                                                            "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;")
                                   : nullptr;
    bool allSet = setProperty != nullptr;
    for (size_t i = 0; allSet && i < properties.size(); ++i) {
        jstring name = toJavaString(env, properties[i].name);
        jstring value = name ? toJavaString(env, properties[i].value) : nullptr;
        jobject previous = value ? env->CallStaticObjectMethod(system, setProperty, name, value) : nullptr;
        allSet = value != nullptr && !env->ExceptionCheck();
        if (previous != nullptr) env->DeleteLocalRef(previous);
        if (value != nullptr) env->DeleteLocalRef(value);
        if (name != nullptr) env->DeleteLocalRef(name);
        if (!allSet && tracing()) trace(L"vm: property " + properties[i].name + L" could not be set");
    }
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    if (system != nullptr) env->DeleteLocalRef(system);
    return allSet;
}
