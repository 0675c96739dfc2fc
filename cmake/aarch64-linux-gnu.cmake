# ARM64 (AArch64) Linux cross build: the programs only, no tests to run here.
# tools/build_portable.sh names the compilers (bullseye's aarch64-linux-gnu
# tools, run in its root) on the command line.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
# Java and the other build tools are this machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
