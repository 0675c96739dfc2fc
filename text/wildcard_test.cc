#include "text/wildcard.h"

#include <gtest/gtest.h>

TEST(WildcardTest, JarPatternIgnoresCaseAndNeedsTheWholeName) {
  EXPECT_TRUE(matchesWildcardIgnoringCase("*.jar", "a.jar"));
  EXPECT_TRUE(matchesWildcardIgnoringCase("*.jar", "LIB.JAR"));
  EXPECT_TRUE(matchesWildcardIgnoringCase("*.jar", ".jar"));
  EXPECT_TRUE(matchesWildcardIgnoringCase("*.jar", "a.jar.jar"));
  EXPECT_FALSE(matchesWildcardIgnoringCase("*.jar", "a.jarx"));
  EXPECT_FALSE(matchesWildcardIgnoringCase("*.jar", "a.ja"));
  EXPECT_FALSE(matchesWildcardIgnoringCase("*.jar", "ajar"));
}

TEST(WildcardTest, StarsAndQuestionMarksBacktrack) {
  EXPECT_TRUE(matchesWildcardIgnoringCase("a*b*c", "axxbyybzc"));
  EXPECT_TRUE(matchesWildcardIgnoringCase("?.jar", "x.jar"));
  EXPECT_FALSE(matchesWildcardIgnoringCase("?.jar", "xy.jar"));
  EXPECT_TRUE(matchesWildcardIgnoringCase("**", ""));
  EXPECT_FALSE(matchesWildcardIgnoringCase("", "a"));
}
