# Checks that a Linux program needs no glibc symbol version above FLOOR, so
# that it starts on every system with that glibc or a later one. Reads the
# versions the program requires (readelf -V) and, to name them, the symbols
# that carry each one (readelf --dyn-syms).
#   cmake -DREADELF=<readelf> -DPROGRAM=<program> -DFLOOR=2.28 -P check_glibc_floor.cmake

cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${READELF}" -V -W "${PROGRAM}" OUTPUT_VARIABLE versions ERROR_VARIABLE errors
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${READELF} -V ${PROGRAM} failed: ${errors}")
endif()
execute_process(COMMAND "${READELF}" --dyn-syms -W "${PROGRAM}" OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${READELF} --dyn-syms ${PROGRAM} failed")
endif()

# The needed versions are the "Name: GLIBC_x.y" entries of .gnu.version_r.
string(REGEX MATCHALL "Name: GLIBC_[0-9]+(\\.[0-9]+)+" needed "${versions}")
if(NOT needed)
  message(FATAL_ERROR "${PROGRAM} names no glibc version: not a program linked against glibc?")
endif()
set(highest 0)
set(above)
foreach(entry IN LISTS needed)
  string(REGEX REPLACE "^Name: GLIBC_" "" version "${entry}")
  if(version VERSION_GREATER highest)
    set(highest ${version})
  endif()
  if(version VERSION_GREATER FLOOR AND NOT version IN_LIST above)
    list(APPEND above ${version})
  endif()
endforeach()
if(above)
  set(culprits)
  foreach(version IN LISTS above)
    string(REPLACE "." "\\." pattern "${version}")
    string(REGEX MATCHALL "[^ \n]+@GLIBC_${pattern}[ \n]" named "${symbols}")
    list(TRANSFORM named REPLACE "@GLIBC_.*" "")
    list(REMOVE_DUPLICATES named)
    list(JOIN named ", " named)
    list(APPEND culprits "GLIBC_${version}: ${named}")
  endforeach()
  string(REPLACE ";" "\n  " culprits "${culprits}")
  message(FATAL_ERROR "${PROGRAM} needs glibc versions above ${FLOOR}:\n  ${culprits}")
endif()
message(STATUS "${PROGRAM}: highest glibc version needed ${highest} (floor ${FLOOR})")
