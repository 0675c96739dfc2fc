# Checks the headers of a Windows program: its subsystem, and that it imports
# only DLLs that every Windows has (the C and C++ runtimes must be linked in).
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> -DSUBSYSTEM="Windows GUI" -P check_pe_headers.cmake

cmake_minimum_required(VERSION 3.25)

set(system_dlls kernel32.dll user32.dll advapi32.dll msvcrt.dll gdi32.dll shell32.dll ole32.dll ntdll.dll)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE headers ERROR_VARIABLE errors
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${errors}")
endif()

if(NOT headers MATCHES "\nSubsystem[ \t]+[0-9a-fA-F]+[ \t]+\\(([^)\n]*)\\)")
  message(FATAL_ERROR "No subsystem in the headers of ${PROGRAM}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL SUBSYSTEM)
  message(FATAL_ERROR "${PROGRAM}: subsystem is '${CMAKE_MATCH_1}', not '${SUBSYSTEM}'")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "No imported DLLs found in the headers of ${PROGRAM}")
endif()
set(foreign)
foreach(import IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST system_dlls)
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${PROGRAM} imports DLLs that are not part of Windows: ${foreign}")
endif()
string(REPLACE "DLL Name: " "" imports "${imports}")
message(STATUS "${PROGRAM}: ${SUBSYSTEM}; imports ${imports}")
