#include "config/property_variable_resolver.h"

#include <gtest/gtest.h>

#include <new>

#include "config/launcher_properties.h"
#include "jvm/jvm.h"
#include "tests/support/fake_platform.h"
#include "tests/support/report_capture.h"

namespace {

class PropertyVariableResolverTest : public ::testing::Test {
 protected:
  PropertyVariableResolverTest() {
    properties.setNameOfExecutable("C:\\Tools\\bin\\run.exe");
    fake.environment.set("Path", "C:\\Windows");
    fake.environment.set("REF", "${SELF_HOME}");
    fake.environment.set("OPEN", "${");
    fake.environment.set("EMPTY", "");
  }

  std::string resolved(std::string line) { return resolver.resolveVariables(line); }

  FakePlatform fake;
  LauncherProperties properties{fake.platform};
  PropertyVariableResolver resolver{properties};
};

TEST_F(PropertyVariableResolverTest, ClassifiesLines) {
  struct Case {
    const char* line;
    bool variables;
    bool late;
  } cases[] = {
      {"plain", false, false},
      {"${SELF_HOME}", true, false},
      {"x${FOUND_JAVA_HOME}\\lib", true, true},
      {"${env.A}${FOUND_JAVA_HOME}", true, true},
      {"${ \tFOUND_JAVA_HOME \t}", true, true},  // the late test trims both ends
      {"${FOUND_JAVA_HOMEX}", true, false},
      {"${found_java_home}", true, false},
      {"} ${SELF_HOME", false, false},
      {"${FOUND_JAVA_HOME", false, false},
      {"${SELF_HOME} ${FOUND_JAVA_HOME", true, false},  // the unterminated one is ignored
      {"$ {X}", false, false},
      {"{X}", false, false},
      {"${}", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(resolver.hasVariables(c.line), c.variables) << c.line;
    EXPECT_EQ(resolver.hasLateVariables(c.line), c.late) << c.line;
  }
}

TEST_F(PropertyVariableResolverTest, ResolvesEveryVariable) {
  struct Case {
    const char* line;
    const char* result;
  } cases[] = {
      {"${SELF_HOME}\\lib", "C:\\Tools\\lib"},
      {"${FOUND_EXE_FOLDER}\\lib", "C:\\Tools\\bin\\lib"},
      {"[${env.X}]", "[]"},
      {"[${env.EMPTY}]", "[]"},
      {"${env.path}", "C:\\Windows"},
      {"${env.Path}", "C:\\Windows"},
      {"[${self_home}]", "[]"},
      {"[${ENV.PATH}]", "[]"},
      {"[${env.}]", "[]"},
      {"[${unknown}]", "[]"},
      {"[${}]", "[]"},
      {"${SELF_HOME \t}", "C:\\Tools"},
      {"[${ SELF_HOME}]", "[]"},
      {"[${ FOUND_JAVA_HOME }]", "[]"},
      {"a${SELF_HOME}b${FOUND_EXE_FOLDER}c${SELF_HOME}", "aC:\\ToolsbC:\\Tools\\bincC:\\Tools"},
      {"${SELF_HOME}${SELF_HOME}", "C:\\ToolsC:\\Tools"},
      {"$ {SELF_HOME} {SELF_HOME}", "$ {SELF_HOME} {SELF_HOME}"},
      {"x${SELF_HOME", "x${SELF_HOME"},
      {"${SELF_HOME}/${SELF_HOME", "C:\\Tools/${SELF_HOME"},
      {"${A${SELF_HOME}}", "}"},
      {"no references", "no references"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(resolved(c.line), c.result) << c.line;
}

TEST_F(PropertyVariableResolverTest, InsertedValuesAreNotSearchedAgain) {
  EXPECT_EQ(resolved("${env.REF}"), "${SELF_HOME}");
  EXPECT_EQ(resolved("${env.REF}${SELF_HOME}"), "${SELF_HOME}C:\\Tools");
  // A value that opens a reference does not pair with the text after it.
  EXPECT_EQ(resolved("${env.OPEN}SELF_HOME}"), "${SELF_HOME}");
  // Nor does text before a reference with the text after it.
  EXPECT_EQ(resolved("$${env.EMPTY}{SELF_HOME}"), "${SELF_HOME}");
  EXPECT_EQ(resolved("a$${EMPTY}{env.REF}b${SELF_HOME}"), "a${env.REF}bC:\\Tools");
}

TEST_F(PropertyVariableResolverTest, ExecutableWithoutFolder) {
  LauncherProperties record(fake.platform);
  record.setNameOfExecutable("run.exe");
  std::string line = "[${FOUND_EXE_FOLDER}][${SELF_HOME}]";
  EXPECT_EQ(PropertyVariableResolver(record).resolveVariables(line), "[run.exe][]");
}

TEST_F(PropertyVariableResolverTest, JavaHomeOfTheChosenJvm) {
  Jvm jvm;
  jvm.setJavaHomePath("C:\\Java\\jre8");
  properties.setFoundJvm(jvm);
  EXPECT_EQ(resolved("${FOUND_JAVA_HOME}\\bin;${FOUND_JAVA_HOME \t}"), "C:\\Java\\jre8\\bin;C:\\Java\\jre8");
}

TEST_F(PropertyVariableResolverTest, JavaHomeIsEmptyBeforeTheSelection) {
  EXPECT_EQ(resolved("[${FOUND_JAVA_HOME}]"), "[]");
}

TEST(PropertyVariableResolverPosixTest, FoldersUseSlashes) {
  FakePlatform fake(linuxConventions());
  LauncherProperties properties(fake.platform);
  properties.setNameOfExecutable("/opt/tool/bin/run");
  std::string line = "${SELF_HOME}/lib:${FOUND_EXE_FOLDER}/lib";
  EXPECT_EQ(PropertyVariableResolver(properties).resolveVariables(line), "/opt/tool/lib:/opt/tool/bin/lib");
}

class FailingEnvironment : public Environment {
 public:
  bool lookup(const std::string&, std::string*) const override { throw std::bad_alloc(); }
};

TEST(PropertyVariableResolverFailureTest, ValueFailureIsReportedByTheInnermostStep) {
  FakePlatform fake;
  FailingEnvironment environment;
  Platform platform = fake.platform;
  platform.environment = &environment;
  LauncherProperties properties(platform);
  PropertyVariableResolver resolver(properties);
  EXPECT_EQ(reportOf([&] {
              std::string line = "a${env.X}";
              resolver.resolveVariables(line);
            }),
            reportText("Error getting value from property variable."));
  // Lines without environment references do not touch it.
  std::string line = "${SELF_HOME}";
  EXPECT_EQ(reportOf([&] { resolver.resolveVariables(line); }), "<no report>");
}

}  // namespace
