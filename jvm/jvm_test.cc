#include "jvm/jvm.h"

#include <gtest/gtest.h>

#include "jvm/java_version.h"
#include "tests/support/fake_platform.h"
#include "tests/support/report_capture.h"

namespace {

Jvm record(const std::string& bundle, const std::string& home, const std::string& version = "1.4.2_05") {
  Jvm jvm;
  jvm.setJavaBundle(bundle);
  jvm.setJavaHomePath(home);
  jvm.setVersion(version);
  return jvm;
}

TEST(ComparableVersionTest, RewritesFourZeroFilledPieces) {
  struct Case {
    const char* version;
    const char* comparable;
  } cases[] = {
      {"1.4.2_05", "001.004.002.005."},
      {"1.4.2", "001.004.002.000."},
      {"1.5", "001.005.000.000."},
      {"1.4", "001.004.000.000."},
      {"1.3.1_12", "001.003.001.012."},
      {"10.0.1", "010.000.001.000."},
      {"17.0.21.1", "017.000.021.001."},
      // Letters and '-' stay in their piece; only '.' and '_' separate.
      {"1.6.0-rc", "001.006.0-rc.000."},
      {"1.6.0_b", "001.006.000.00b."},
      {"test", "test.000.000.000."},
      {"x", "00x.000.000.000."},
      // Beyond four pieces nothing counts.
      {"1.4.2_05_07", "001.004.002.005."},
      {"1.2.3.4.5.6", "001.002.003.004."},
      // Runs of separators count once; none at either end makes a piece.
      {"1.4..2", "001.004.002.000."},
      {"1._4__2", "001.004.002.000."},
      {"._1.4._", "001.004.000.000."},
      {"", "000.000.000.000."},
      {"._.", "000.000.000.000."},
      // Pieces of three or more characters are written whole.
      {"1.4.2_1000", "001.004.002.1000."},
      {"1.4.2_999", "001.004.002.999."},
  };
  for (const Case& c : cases) EXPECT_EQ(comparableJavaVersion(c.version), c.comparable) << c.version;
}

TEST(ComparableVersionTest, OrdersByLeadingCharactersOfEachPiece) {
  EXPECT_GT(comparableJavaVersion("1.4.10"), comparableJavaVersion("1.4.9"));
  // A fourth character no longer pads, so 1000 ranks by its "100" against 999.
  EXPECT_LT(comparableJavaVersion("1.4.2_1000"), comparableJavaVersion("1.4.2_999"));
  EXPECT_GT(comparableJavaVersion("1.4.2_05"), comparableJavaVersion("1.4.2"));
}

// Versions beyond the 99 characters and pieces beyond the 48 characters that
// older launchers could hold are rewritten whole, never cut or overrun.
TEST(ComparableVersionTest, HandlesLongVersionsAndPiecesWhole) {
  const std::string longPiece(300, '7');
  EXPECT_EQ(comparableJavaVersion("1." + longPiece + ".2"), "001." + longPiece + ".002.000.");
  const std::string longVersion = "1.2.3.4." + std::string(500, '9');
  EXPECT_EQ(comparableJavaVersion(longVersion), "001.002.003.004.");
  // Two long versions that differ only far behind the old limits still differ.
  EXPECT_LT(comparableJavaVersion("1." + std::string(120, '5') + "4"),
            comparableJavaVersion("1." + std::string(120, '5') + "5"));
}

struct CodeCase {
  const char* own;      // the record's bundle or JVM directory
  const char* desired;  // the setting
  const char* suffix;   // appended to the comparable version
  bool acceptable;
};

TEST(AdjustComparableVersionTest, BundleCodes) {
  const CodeCase cases[] = {
      {"sdk", "require_sdk", "B3.", true},
      {"sdk", "prefer_sdk", "B2.", true},
      {"sdk", "", "B1.", true},
      {"sdk", "prefer_jre", "B1.", true},
      {"sdk", "require_jre", "B0.", false},
      {"jre", "require_sdk", "B0.", false},
      {"jre", "prefer_sdk", "B1.", true},
      {"jre", "", "B2.", true},
      {"jre", "prefer_jre", "B2.", true},
      {"jre", "require_jre", "B3.", true},
  };
  for (const CodeCase& c : cases) {
    Jvm jvm = record(c.own, "C:\\j");
    jvm.setComparableVersion("001.004.002.005.");
    jvm.adjustComparableVersionBundle(bundleWishOf(c.desired));
    EXPECT_EQ(jvm.getComparableVersion(), std::string("001.004.002.005.") + c.suffix) << c.own << "/" << c.desired;
    EXPECT_EQ(jvm.isAcceptable(), c.acceptable) << c.own << "/" << c.desired;
  }
}

TEST(AdjustComparableVersionTest, JvmDirCodes) {
  const CodeCase cases[] = {
      {"client", "require_client", "D3.", true},
      {"client", "prefer_client", "D2.", true},
      {"client", "", "D2.", true},
      {"client", "prefer_server", "D1.", true},
      {"client", "require_server", "D0.", false},
      {"server", "require_client", "D0.", false},
      {"server", "prefer_client", "D1.", true},
      {"server", "", "D1.", true},
      {"server", "prefer_server", "D2.", true},
      {"server", "require_server", "D3.", true},
  };
  for (const CodeCase& c : cases) {
    Jvm jvm;
    jvm.setBinJvmDir(c.own);
    jvm.setComparableVersion("001.");
    jvm.adjustComparableVersionJvmDir(jvmTypeWishOf(c.desired));
    EXPECT_EQ(jvm.getComparableVersion(), std::string("001.") + c.suffix) << c.own << "/" << c.desired;
    EXPECT_EQ(jvm.isAcceptable(), c.acceptable) << c.own << "/" << c.desired;
  }
}

TEST(AdjustComparableVersionTest, UnacceptableStaysUnacceptable) {
  Jvm jvm = record("sdk", "C:\\j");
  jvm.setBinJvmDir("client");
  jvm.adjustComparableVersionBundle(bundleWishOf("require_jre"));
  jvm.adjustComparableVersionJvmDir(jvmTypeWishOf("require_client"));
  EXPECT_FALSE(jvm.isAcceptable());
  EXPECT_EQ(jvm.getComparableVersion(), "B0.D3.");
}

TEST(AdjustComparableVersionTest, Failures) {
  struct Case {
    const char* bundle;
    const char* binJvmDir;
    const char* desiredBundle;
    const char* desiredJvmDir;
    const char* message;
  } cases[] = {
      // The record's own word is checked before the desired one.
      {"", "client", "both", "", "Java bundle must be set before adjusting comparable version"},
      {"SDK", "client", "", "", "Java bundle must be set before adjusting comparable version"},
      {"sdk", "client", "both", "", "Desired Java bundle settings are not correct."},
      {"sdk", "client", "sdk", "", "Desired Java bundle settings are not correct."},
      {"sdk", "", "", "hotspot", "Bin Jvm Dir must be set before adjusting the comparable version."},
      {"sdk", "Server", "", "", "Bin Jvm Dir must be set before adjusting the comparable version."},
      {"sdk", "client", "", "hotspot", "Desired JVM settings are not correct."},
      {"sdk", "client", "", "client", "Desired JVM settings are not correct."},
  };
  for (const Case& c : cases) {
    Jvm jvm = record(c.bundle, "C:\\j");
    jvm.setBinJvmDir(c.binJvmDir);
    EXPECT_EQ(reportOf([&] {
                jvm.adjustComparableVersionBundle(bundleWishOf(c.desiredBundle));
                jvm.adjustComparableVersionJvmDir(jvmTypeWishOf(c.desiredJvmDir));
              }),
              reportText(c.message))
        << c.bundle << "/" << c.binJvmDir << "/" << c.desiredBundle << "/" << c.desiredJvmDir;
  }
}

TEST(JrePathTest, WindowsFollowsTheBundleWithoutProbing) {
  FakePlatform fake;
  Jvm jdk = record("sdk", "C:\\j2sdk1.4.2_05");
  Jvm jre = record("jre", "C:\\Program Files\\Java\\j2re1.4.2_05");
  Jvm slashed = record("jre", "C:\\jre\\");
  EXPECT_EQ(jdk.resolveJrePath(fake.platform), "C:\\j2sdk1.4.2_05\\jre\\bin\\");
  EXPECT_EQ(jre.resolveJrePath(fake.platform), "C:\\Program Files\\Java\\j2re1.4.2_05\\bin\\");
  EXPECT_EQ(slashed.resolveJrePath(fake.platform), "C:\\jre\\\\bin\\");
  EXPECT_TRUE(fake.fileSystem.probes().empty());
}

TEST(JrePathTest, IsCachedAcrossChangesOfHomeAndBundle) {
  FakePlatform fake;
  Jvm jvm = record("sdk", "C:\\jdk");
  EXPECT_EQ(jvm.resolveJrePath(fake.platform), "C:\\jdk\\jre\\bin\\");
  jvm.setJavaHomePath("D:\\other");
  jvm.setJavaBundle("jre");
  EXPECT_EQ(jvm.resolveJrePath(fake.platform), "C:\\jdk\\jre\\bin\\");
  EXPECT_EQ(jvm.resolveJvmDllPath(fake.platform, "server"), "C:\\jdk\\jre\\bin\\server\\jvm.dll");
  EXPECT_NE(jvm.toString().find(",m_jrePath=C:\\jdk\\jre\\bin\\,"), std::string::npos);
}

TEST(JrePathTest, FailsWithoutABundle) {
  FakePlatform fake;
  for (const char* bundle : {"", "JRE", "other"}) {
    Jvm jvm = record(bundle, "C:\\jdk");
    const char* message = "Java home path must be determined before the JRE path can be determined.";
    EXPECT_EQ(reportOf([&] { jvm.resolveJrePath(fake.platform); }), reportText(message)) << bundle;
    // Reported by the JRE path itself, not as the failure of its callers.
    EXPECT_EQ(reportOf([&] { jvm.resolveJvmDllPath(fake.platform, "client"); }), reportText(message)) << bundle;
    EXPECT_EQ(reportOf([&] { jvm.jvmDllExists(fake.platform, "client"); }), reportText(message)) << bundle;
  }
}

TEST(JrePathTest, PosixFindsTheLayoutThatHoldsTheJvmDirectories) {
  struct Case {
    const char* bundle;
    std::vector<const char*> directories;
    const char* jrePath;
  } cases[] = {
      // Java 9 and later.
      {"sdk", {"/j/lib", "/j/lib/server"}, "/j/lib/"},
      {"jre", {"/j/lib", "/j/lib/client"}, "/j/lib/"},
      // Java 8: lib/ exists too but holds no JVM directory.
      {"sdk", {"/j/lib", "/j/jre/lib/amd64/server"}, "/j/jre/lib/amd64/"},
      {"jre", {"/j/lib", "/j/lib/amd64/server"}, "/j/lib/amd64/"},
      // Nothing there: the first layout, where the JVM library is then missing.
      {"sdk", {"/j/lib"}, "/j/lib/"},
  };
  for (const Case& c : cases) {
    FakePlatform fake(linuxConventions());
    for (const char* directory : c.directories) fake.fileSystem.addDirectory(directory);
    Jvm jvm = record(c.bundle, "/j");
    EXPECT_EQ(jvm.resolveJrePath(fake.platform), c.jrePath) << c.jrePath;
    EXPECT_EQ(jvm.resolveJvmDllPath(fake.platform, "server"), std::string(c.jrePath) + "server/libjvm.so");
  }
}

TEST(JvmDllTest, PathsAndExistence) {
  FakePlatform fake;
  fake.fileSystem.addFile("C:\\j2sdk1.4.2_05\\jre\\bin\\client\\jvm.dll");
  fake.fileSystem.addDirectory("C:\\j2sdk1.4.2_05\\jre\\bin\\server\\jvm.dll");  // a directory counts
  Jvm jdk = record("sdk", "C:\\j2sdk1.4.2_05");
  Jvm jre = record("jre", "C:\\Program Files\\Java\\j2re1.4.2_05");
  EXPECT_EQ(jdk.resolveJvmDllPath(fake.platform, "client"), "C:\\j2sdk1.4.2_05\\jre\\bin\\client\\jvm.dll");
  EXPECT_EQ(jre.resolveJvmDllPath(fake.platform, "server"),
            "C:\\Program Files\\Java\\j2re1.4.2_05\\bin\\server\\jvm.dll");
  EXPECT_TRUE(jdk.jvmDllExists(fake.platform, "client"));
  EXPECT_TRUE(jdk.jvmDllExists(fake.platform, "server"));
  EXPECT_FALSE(jre.jvmDllExists(fake.platform, "client"));
  EXPECT_FALSE(jdk.jvmDllExists(fake.platform, "Client"));
}

TEST(JvmTest, DuplicateCarriesOnlyHomeBundleAndVersion) {
  FakePlatform fake;
  Jvm jvm = record("sdk", "C:\\jdk", "1.5");
  jvm.setBinJvmDir("client");
  jvm.setJvmPath(jvm.resolveJvmDllPath(fake.platform, "client"));
  jvm.setComparableVersion("001.005.000.000.B1.");
  jvm.setAcceptable(false);
  Jvm copy = jvm.duplicate();
  EXPECT_EQ(copy.toString(),
            "m_jvmPath=,m_javaBundle=sdk,m_binJvmDir=,m_comparableVersion=,m_javaHomePath=C:\\jdk,m_version=1.5,"
            "m_jrePath=,m_acceptable=true");
}

TEST(JvmTest, Dumps) {
  EXPECT_EQ(Jvm().toString(),
            "m_jvmPath=,m_javaBundle=,m_binJvmDir=,m_comparableVersion=,m_javaHomePath=,m_version=,m_jrePath=,"
            "m_acceptable=true");

  FakePlatform fake;
  Jvm jvm = record("sdk", "C:\\j2sdk1.4.2_05");
  jvm.setBinJvmDir("client");
  jvm.setJvmPath(jvm.resolveJvmDllPath(fake.platform, "client"));
  jvm.setComparableVersion(comparableJavaVersion(jvm.getVersion()));
  jvm.adjustComparableVersionBundle(bundleWishOf(""));
  jvm.adjustComparableVersionJvmDir(jvmTypeWishOf(""));
  EXPECT_EQ(jvm.toString(),
            "m_jvmPath=C:\\j2sdk1.4.2_05\\jre\\bin\\client\\jvm.dll,m_javaBundle=sdk,m_binJvmDir=client,"
            "m_comparableVersion=001.004.002.005.B1.D2.,m_javaHomePath=C:\\j2sdk1.4.2_05,m_version=1.4.2_05,"
            "m_jrePath=C:\\j2sdk1.4.2_05\\jre\\bin\\,m_acceptable=true");
  jvm.setAcceptable(false);
  EXPECT_EQ(jvm.toString().substr(jvm.toString().rfind(',')), ",m_acceptable=false");
}

TEST(VersionBoundsTest, EqualBoundsPassAndLongerVersionsExceedAShortMaximum) {
  struct Case {
    const char* minimum;
    const char* maximum;
    const char* version;
    bool aboveMinimum;
    bool belowMaximum;
  } cases[] = {
      {"", "", "anything", true, true},
      {"1.4", "1.4.2", "1.4", true, true},
      {"1.4", "1.4.2", "1.4.0", true, true},
      {"1.4", "1.4.2", "1.4.2", true, true},
      {"1.4", "1.4.2", "1.4.2_05", true, false},
      {"1.4", "1.4.2_99", "1.4.2_05", true, true},
      {"1.4.1", "", "1.4", false, true},
      {"1.4.1", "", "1.3.1_12", false, true},
      {"1.5", "1.6", "1.10", true, false},  // 010 against 006
      {"", "17.99", "17.0.21.1", true, true},
      {"", "17.99", "25.0.3", true, false},
      // The bounds are rewritten afresh, never taken from a rated record.
      {"1.4.2_05", "1.4.2_05", "1.4.2_05", true, true},
  };
  for (const Case& c : cases) {
    const VersionBounds bounds{c.minimum, c.maximum};
    EXPECT_EQ(bounds.isGreaterThanMinVersion(c.version), c.aboveMinimum) << c.minimum << " <= " << c.version;
    EXPECT_EQ(bounds.isLessThanMaxVersion(c.version), c.belowMaximum) << c.version << " <= " << c.maximum;
  }
}

}  // namespace
