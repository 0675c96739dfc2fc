#include "platform/conventions.h"

const Conventions& windowsConventions() {
  static const Conventions conventions{'\\', ';', "jvm.dll", {"\\bin\\"}, {"\\jre\\bin\\"}, {"\\bin\\", "\\jre\\bin\\"},
                                       true};
  return conventions;
}

const Conventions& posixConventions() {
  // Java 9 and later keep the JVM directories in lib/; Java 8 in an
  // architecture directory, below jre/ in a development kit.
  static const Conventions conventions{'/',
                                       ':',
                                       "libjvm.so",
                                       {"/lib/", "/lib/amd64/"},
                                       {"/lib/", "/jre/lib/amd64/", "/lib/amd64/"},
                                       {"/lib/", "/jre/lib/amd64/", "/lib/amd64/"},
                                       false};
  return conventions;
}
