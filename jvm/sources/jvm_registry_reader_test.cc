#include "jvm/sources/jvm_registry_reader.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"
#include "tests/support/report_capture.h"

namespace {

const std::string kJdkTree = "SOFTWARE\\JavaSoft\\Java Development Kit";
const std::string kJreTree = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

class JvmRegistryReaderTest : public ::testing::Test {
 protected:
  std::vector<std::string> discover() {
    std::vector<Jvm> jvms;
    JvmRegistryReader reader(fake.registry);
    reader.addJdkJvms(jvms);
    reader.addJreJvms(jvms);
    std::vector<std::string> dumps;
    for (const Jvm& jvm : jvms) dumps.push_back(jvm.toString());
    return dumps;
  }

  static std::string dump(const std::string& bundle, const std::string& version, const std::string& home) {
    return "m_jvmPath=,m_javaBundle=" + bundle + ",m_binJvmDir=,m_comparableVersion=,m_javaHomePath=" + home +
           ",m_version=" + version + ",m_jrePath=,m_acceptable=true";
  }

  FakePlatform fake;
};

TEST_F(JvmRegistryReaderTest, DevelopmentKitsFirstThenRuntimesInEnumerationOrder) {
  // Written in the opposite order: the trees decide, not the insertion.
  fake.registry.setValue(kJreTree + "\\1.4", "JavaHome", "C:\\Program Files\\Java\\j2re1.4.2_05");
  fake.registry.setValue(kJreTree + "\\1.4.2_05", "JavaHome", "C:\\Program Files\\Java\\j2re1.4.2_05");
  fake.registry.setValue(kJdkTree + "\\1.4.2_05", "JavaHome", "C:\\j2sdk1.4.2_05");
  EXPECT_EQ(discover(), (std::vector<std::string>{
                            dump("sdk", "1.4.2_05", "C:\\j2sdk1.4.2_05"),
                            dump("jre", "1.4", "C:\\Program Files\\Java\\j2re1.4.2_05"),
                            dump("jre", "1.4.2_05", "C:\\Program Files\\Java\\j2re1.4.2_05"),
                        }));
  EXPECT_EQ(fake.registry.openKeys(), 0);
}

TEST_F(JvmRegistryReaderTest, TakesNamesAndHomesAsTheyAreAndSkipsEmptyOnes) {
  fake.registry.setValue(kJreTree + "\\test", "JavaHome", "C:\\jre\\");
  fake.registry.setValue(kJreTree + "\\1.5", "JavaHome", "");
  fake.registry.setValue(kJreTree + "\\", "JavaHome", "C:\\nameless");  // a subkey with an empty name
  fake.registry.setValue(kJreTree + "\\1.6", "JavaHome", std::string("C:\\j6\0junk", 10));
  fake.registry.setValue(kJreTree + "\\1.6", "RuntimeLib", "C:\\elsewhere\\jvm.dll");
  EXPECT_EQ(discover(), (std::vector<std::string>{dump("jre", "test", "C:\\jre\\"), dump("jre", "1.6", "C:\\j6")}));
}

TEST_F(JvmRegistryReaderTest, AbsentOrEmptyTreesAddNothing) {
  EXPECT_TRUE(discover().empty());
  fake.registry.addKey(kJdkTree);
  fake.registry.addKey(kJreTree);
  EXPECT_TRUE(discover().empty());
  // A tree that cannot be read counts as absent.
  fake.registry.setValue(kJdkTree + "\\1.5", "JavaHome", "C:\\j5");
  fake.registry.makeUnreadable(kJdkTree);
  EXPECT_TRUE(discover().empty());
  EXPECT_EQ(fake.registry.openKeys(), 0);
}

TEST_F(JvmRegistryReaderTest, UnreadableSubkeysStopTheLaunch) {
  struct Case {
    const char* problem;
    const char* message;
  } cases[] = {
      {"no value", "Error opening registry key SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.4, value name JavaHome"},
      {"unreadable", "Error opening registry key SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.4"},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    platform.registry.setValue(kJdkTree + "\\1.5", "JavaHome", "C:\\j5");
    platform.registry.setValue(kJreTree + "\\1.3", "JavaHome", "C:\\j3");
    platform.registry.addKey(kJreTree + "\\1.4");
    if (std::string(c.problem) == "unreadable") {
      platform.registry.setValue(kJreTree + "\\1.4", "JavaHome", "C:\\j4");
      platform.registry.makeUnreadable(kJreTree + "\\1.4");
    }
    platform.registry.setValue(kJreTree + "\\1.6", "JavaHome", "C:\\j6");
    std::vector<Jvm> jvms;
    JvmRegistryReader reader(platform.registry);
    EXPECT_EQ(reportOf([&] {
                reader.addJdkJvms(jvms);
                reader.addJreJvms(jvms);
              }),
              reportText(c.message))
        << c.problem;
    EXPECT_EQ(platform.registry.openKeys(), 0) << c.problem;
  }
}

}  // namespace
