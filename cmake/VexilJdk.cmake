# The development kit that compiles the Java test applications and whose
# runtime the Linux tests start. Sets VEXIL_JDK_HOME, VEXIL_JNI_INCLUDE_DIRS
# and VEXIL_TEST_LIBJVM.
# No include guard: each directory that includes this file needs the variables
# in its own scope (only VEXIL_JDK_HOME is in the cache).

find_package(Java 11 REQUIRED COMPONENTS Development)
if(NOT VEXIL_JDK_HOME)
  # javac is usually a chain of links into the kit's bin folder.
  file(REAL_PATH "${Java_JAVAC_EXECUTABLE}" _vexil_javac)
  get_filename_component(_vexil_jdk_bin "${_vexil_javac}" DIRECTORY)
  get_filename_component(_vexil_jdk_home "${_vexil_jdk_bin}" DIRECTORY)
  set(VEXIL_JDK_HOME "${_vexil_jdk_home}" CACHE PATH "Development kit for the Java test applications and the JVM tests")
endif()
# In the cache, so that every directory that includes this file sees them,
# not only the first: the guard above skips the file for the others.
set(VEXIL_JNI_INCLUDE_DIRS "${VEXIL_JDK_HOME}/include" "${VEXIL_JDK_HOME}/include/linux" CACHE INTERNAL "")
set(VEXIL_TEST_LIBJVM "${VEXIL_JDK_HOME}/lib/server/libjvm.so" CACHE INTERNAL "")
if(NOT EXISTS "${VEXIL_JDK_HOME}/include/jni.h" OR NOT EXISTS "${VEXIL_TEST_LIBJVM}")
  message(FATAL_ERROR "No jni.h or lib/server/libjvm.so in the development kit ${VEXIL_JDK_HOME}")
endif()
