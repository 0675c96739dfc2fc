// The running instance's side of a hand-over against the fake JVM library,
// loaded the real way, and an endpoint without a system behind it.
#include "hosting/instance_receiver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "hosting/instance_message.h"
#include "platform/shared_library.h"
#include "report/messages.h"
#include "tests/support/fake_instance_endpoint.h"
#include "tests/support/fake_jvm_test.h"

namespace {

class InstanceReceiverTest : public FakeJvmTest {
 protected:
  jni::JavaVM* createFakeRuntime() {
    const auto loaded = loadRuntimeLibrary(VEXIL_FAKE_JVM_PATH);
    if (!loaded) return nullptr;
    LibraryHandle library = *loaded;
    auto create = reinterpret_cast<jni::CreateJavaVMFunction>(findLibrarySymbol(library, jni::kCreateJavaVMName));
    jni::JavaVMInitArgs args{};
    args.version = jni::JNI_VERSION_1_2;
    jni::JavaVM* vm = nullptr;
    jni::JNIEnv* env = nullptr;
    if (!create || create(&vm, reinterpret_cast<void**>(&env), &args) < 0) return nullptr;
    return vm;
  }
};

TEST_F(InstanceReceiverTest, EachLaunchIsDeliveredOrLeftToStartOnItsOwn) {
  const std::string valid = encodeInstanceMessage({"/home/user", {"a b", ""}});
  const struct {
    const char* name;
    const char* handler;
    const char* fail;  // VEXIL_FAKE_JVM_FAIL
    std::string message;
    bool accepted;
    std::string recorded;  // in the fake's record; empty: nothing attached
    const char* logged;    // in the debug file; empty: nothing
  } cases[] = {
      {"delivered", "app.Handler.receive", "", valid, true,
       "AttachCurrentThread\nFindClass app/Handler\nGetStaticMethodID app/Handler receive ([Ljava/lang/String;)V\n"
       "FindClass java/lang/String\nNewObjectArray 3 java/lang/String null\n"
       // Each element set is checked.
       "ExceptionOccurred\nExceptionOccurred\nExceptionOccurred\n"
       "CallStaticVoidMethod app/Handler handler with 3 arguments\nhandler argument 0=/home/user\n"
       "handler argument 1=a b\nhandler argument 2=\nExceptionOccurred\nDetachCurrentThread\n",
       ""},
      {"malformed", "app.Handler.receive", "", "vexil-instance-1 and then garbage", false, "",
       message::kLogInstanceMessageMalformed},
      {"no thread may attach", "app.Handler.receive", "attach", valid, false, "AttachCurrentThread refused\n",
       message::kLogInstanceCannotAttach},
      {"no handler: nothing to call", "", "", valid, true, "", ""},
      {"a handler without a method", "receive", "", valid, false, "AttachCurrentThread\nDetachCurrentThread\n",
       message::kLogInstanceNoHandler},
      {"a handler class that does not load", "app.Handler.receive", "class", valid, false,
       "AttachCurrentThread\nFindClass app/Handler\nExceptionOccurred\nExceptionClear\nDetachCurrentThread\n",
       message::kLogInstanceNoHandler},
  };
  jni::JavaVM* vm = createFakeRuntime();
  ASSERT_NE(vm, nullptr);
  const std::string debugFile = m_directory + "/debug.log";
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    std::remove(m_recordPath.c_str());
    std::remove(debugFile.c_str());
    setenv("VEXIL_FAKE_JVM_FAIL", test.fail, 1);
    auto served = std::make_shared<FakeInstanceEndpoint::Record>();
    {
      InstanceReceiver receiver(std::make_unique<FakeInstanceEndpoint>(std::vector<std::string>{test.message}, served),
                                vm, test.handler, debugFile);
      ASSERT_TRUE(served->awaitServed(1));
    }
    EXPECT_EQ(served->accepted, std::vector<bool>{test.accepted});
    EXPECT_EQ(record(), test.recorded);
    const std::string log = read(debugFile);
    if (*test.logged) {
      EXPECT_NE(log.find(test.logged), std::string::npos) << log;
    } else {
      EXPECT_EQ(log, "");
    }
  }
  std::remove(debugFile.c_str());
}

TEST(InstanceHandler, SplitsIntoTheClassInSlashFormAndTheMethod) {
  const struct {
    const char* handler;
    bool valid;
    const char* className;
    const char* method;
  } cases[] = {
      {"com.example.App.open", true, "com/example/App", "open"},
      {"App.open", true, "App", "open"},
      {"open", false, "", ""},
      {".open", false, "", ""},
      {"App.", false, "", ""},
      {"", false, "", ""},
  };
  for (const auto& test : cases) {
    std::string className, method;
    EXPECT_EQ(InstanceReceiver::splitHandler(test.handler, &className, &method), test.valid) << test.handler;
    if (test.valid) {
      EXPECT_EQ(className, test.className);
      EXPECT_EQ(method, test.method);
    }
  }
}

}  // namespace
