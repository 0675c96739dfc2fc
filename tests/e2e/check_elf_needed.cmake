# Checks that a Linux program needs only the C library's own shared objects:
# the C++ and GCC runtimes must be linked in, so that the dynamic linker does
# not relocate them at every start and the program runs whatever libstdc++
# the machine has.
#   cmake -DREADELF=<readelf> -DPROGRAM=<program> -P check_elf_needed.cmake

cmake_minimum_required(VERSION 3.25)

set(c_library_objects libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 librt.so.1 ld-linux-x86-64.so.2
    ld-linux-aarch64.so.1)

execute_process(COMMAND "${READELF}" -d "${PROGRAM}" OUTPUT_VARIABLE headers ERROR_VARIABLE errors
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${READELF} -d ${PROGRAM} failed: ${errors}")
endif()

string(REGEX MATCHALL "Shared library: \\[[^]\n]+\\]" needed "${headers}")
if(NOT needed)
  message(FATAL_ERROR "No needed shared objects found in the headers of ${PROGRAM}")
endif()
set(foreign)
set(names)
foreach(entry IN LISTS needed)
  string(REGEX REPLACE "^Shared library: \\[(.*)\\]$" "\\1" name "${entry}")
  list(APPEND names "${name}")
  if(NOT name IN_LIST c_library_objects)
    list(APPEND foreign "${name}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${PROGRAM} needs shared objects beyond the C library: ${foreign}")
endif()
message(STATUS "${PROGRAM}: needs ${names}")
