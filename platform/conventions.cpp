#include "platform/conventions.h"

namespace {

// The name Java 8 gives the architecture directory of this build's processor.
#if defined(__x86_64__) || defined(_M_X64)
const char kJavaArch[] = "amd64";
#elif defined(__aarch64__)
const char kJavaArch[] = "aarch64";
#elif defined(__i386__) || defined(_M_IX86)
const char kJavaArch[] = "i386";
#elif defined(__arm__)
const char kJavaArch[] = "arm";
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
const char kJavaArch[] = "ppc64le";
#elif defined(__s390x__)
const char kJavaArch[] = "s390x";
#else
const char kJavaArch[] = "unknown";
#endif

}  // namespace

const Conventions& windowsConventions() {
  static const Conventions conventions{
      '\\', ';', "jvm.dll", "javac.exe", {"\\bin\\"}, {"\\jre\\bin\\"}, {"\\bin\\", "\\jre\\bin\\"}, true, {}};
  return conventions;
}

const Conventions& linuxConventions() {
  // Java 9 and later keep the JVM directories in lib/; Java 8 in an
  // architecture directory, below jre/ in a development kit.
  static const std::string arch = std::string("/lib/") + kJavaArch + "/";
  static const Conventions conventions{'/',
                                       ':',
                                       "libjvm.so",
                                       "javac",
                                       {"/lib/", arch},
                                       {"/lib/", "/jre" + arch, arch},
                                       {"/lib/", "/jre" + arch, arch},
                                       false,
                                       {"/usr/lib/jvm", "/usr/java"}};
  return conventions;
}

const Conventions& hostConventions() {
#if defined(_WIN32)
  return windowsConventions();
#else
  return linuxConventions();
#endif
}
