// The launcher's own JNI declarations against the development kit's header:
// every slot the launcher calls must sit where the runtime puts it.
#include "hosting/jni_declarations.h"

#include <cstddef>

namespace {
// Taken before the kit's header defines macros of the same names.
constexpr jni::jint kOurVersion12 = jni::JNI_VERSION_1_2;
constexpr jni::jint kOurOk = jni::JNI_OK;
constexpr jni::jboolean kOurFalse = jni::JNI_FALSE;
}  // namespace

#include <gtest/gtest.h>
#include <jni.h>

namespace {

#define EXPECT_SAME_SLOT(ours, theirs, member) EXPECT_EQ(offsetof(ours, member), offsetof(theirs, member)) << #member

TEST(JniDeclarationsTest, NativeInterfaceSlotsMatchTheKit) {
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, FindClass);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, Throw);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, ExceptionOccurred);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, ExceptionDescribe);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, GetStaticMethodID);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, CallStaticVoidMethodV);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, NewStringUTF);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, NewObjectArray);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, SetObjectArrayElement);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, ToReflectedMethod);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, ExceptionClear);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, NewObjectV);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, GetObjectClass);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, GetMethodID);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, CallObjectMethodV);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, CallIntMethodV);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, CallVoidMethodV);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, CallStaticObjectMethodV);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, GetStringUTFChars);
  EXPECT_SAME_SLOT(jni::NativeInterface, JNINativeInterface_, ReleaseStringUTFChars);
  // The published slot numbers, counted in pointers.
  EXPECT_EQ(offsetof(jni::NativeInterface, FindClass) / sizeof(void*), 6u);
  EXPECT_EQ(offsetof(jni::NativeInterface, GetStaticMethodID) / sizeof(void*), 113u);
  EXPECT_EQ(offsetof(jni::NativeInterface, CallStaticVoidMethodV) / sizeof(void*), 142u);
  EXPECT_EQ(offsetof(jni::NativeInterface, SetObjectArrayElement) / sizeof(void*), 174u);
}

TEST(JniDeclarationsTest, InvokeInterfaceSlotsMatchTheKit) {
  EXPECT_SAME_SLOT(jni::InvokeInterface, JNIInvokeInterface_, DestroyJavaVM);
  EXPECT_SAME_SLOT(jni::InvokeInterface, JNIInvokeInterface_, AttachCurrentThread);
  EXPECT_SAME_SLOT(jni::InvokeInterface, JNIInvokeInterface_, DetachCurrentThread);
}

TEST(JniDeclarationsTest, RecordsAndConstantsMatchTheKit) {
  EXPECT_EQ(sizeof(jni::JavaVMInitArgs), sizeof(JavaVMInitArgs));
  EXPECT_SAME_SLOT(jni::JavaVMInitArgs, JavaVMInitArgs, version);
  EXPECT_SAME_SLOT(jni::JavaVMInitArgs, JavaVMInitArgs, nOptions);
  EXPECT_SAME_SLOT(jni::JavaVMInitArgs, JavaVMInitArgs, options);
  EXPECT_SAME_SLOT(jni::JavaVMInitArgs, JavaVMInitArgs, ignoreUnrecognized);
  EXPECT_EQ(sizeof(jni::JavaVMOption), sizeof(JavaVMOption));
  EXPECT_SAME_SLOT(jni::JavaVMOption, JavaVMOption, optionString);
  EXPECT_SAME_SLOT(jni::JavaVMOption, JavaVMOption, extraInfo);
  EXPECT_EQ(sizeof(jni::JavaVMAttachArgs), sizeof(JavaVMAttachArgs));
  EXPECT_EQ(sizeof(jni::jint), sizeof(jint));
  EXPECT_EQ(sizeof(jni::jboolean), sizeof(jboolean));
  EXPECT_EQ(sizeof(jni::JNIEnv), sizeof(JNIEnv));
  EXPECT_EQ(sizeof(jni::JavaVM), sizeof(JavaVM));
  EXPECT_EQ(kOurVersion12, JNI_VERSION_1_2);
  EXPECT_EQ(kOurOk, JNI_OK);
  EXPECT_EQ(kOurFalse, JNI_FALSE);
}

}  // namespace
