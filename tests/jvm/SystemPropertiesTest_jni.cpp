#include "jvm/SystemProperties_jni.h"

#include "jvm/RealJvm.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// System.getProperty(name) as UTF-16 units; "<null>" when it is not set.
std::u16string propertyOf(JNIEnv* env, const char* name) {
    jclass system = env->FindClass("java/lang/System");
    jmethodID getProperty = env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;");
    jstring key = env->NewStringUTF(name);
    auto value = static_cast<jstring>(env->CallStaticObjectMethod(system, getProperty, key));
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    std::u16string text = u"<null>";
    if (value != nullptr) {
        const jchar* units = env->GetStringChars(value, nullptr);
        text.assign(reinterpret_cast<const char16_t*>(units), env->GetStringLength(value));
        env->ReleaseStringChars(value, units);
    }
    env->DeleteLocalRef(key);
    env->DeleteLocalRef(system);
    return text;
}

}  // namespace

TEST(SystemProperties, LatePropertiesReachJavaInFullUnicode) {
    realjvm::onJavaThread([](JNIEnv* env) {
        const std::vector<LateProperty> properties = {
            {L"app.title", L"\u041f\u0440\u0438\u0432\u0435\u0442 \U0001F600"},
            {L"user.name", L"\u0141ukasz"},
            {L"app.flag\u00e4", L""},
        };
        EXPECT_TRUE(setLateProperties(env, properties));
        EXPECT_FALSE(env->ExceptionCheck());
        EXPECT_EQ(propertyOf(env, "app.title"), u"\u041f\u0440\u0438\u0432\u0435\u0442 \U0001F600");
        EXPECT_EQ(propertyOf(env, "user.name"), u"\u0141ukasz");
        EXPECT_EQ(propertyOf(env, "app.flag\xc3\xa4"), u"");
    });
}
