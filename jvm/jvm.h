#ifndef VEXIL_JVM_JVM_H_
#define VEXIL_JVM_JVM_H_

#include <string>

/// One Java runtime found on the machine together with one JVM library of it.
class Jvm {
 public:
  const std::string& getJavaHomePath() const { return m_javaHomePath; }
  const std::string& getJvmPath() const { return m_jvmPath; }
  void setJvmPath(const std::string& path) { m_jvmPath = path; }
  std::string toString() const;

 private:
  std::string m_javaBundle;
  std::string m_binJvmDir;
  std::string m_version;
  std::string m_comparableVersion;
  std::string m_jvmPath;
  std::string m_javaHomePath;
  std::string m_jrePath;
  bool m_acceptable = true;
};

#endif  // VEXIL_JVM_JVM_H_
