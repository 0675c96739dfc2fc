#!/bin/sh
# Symbolic links in the tests' Wine prefix (wine_links.sh PREFIX). Windows
# programs under Wine 8 can make neither junctions nor symbolic links, but
# Wine shows a link made on Linux inside drive_c as a reparse point that
# leads to its target, as Windows shows a junction: scoop's "current", and a
# Gradle toolchain folder that leads to a home in Program Files. The tests
# make and remove the targets; the links stay until the prefix goes.
set -eu
prefix=$1
users="$prefix/drive_c/users/$(id -un)"
mkdir -p "$users/scoop/apps/temurin23-jdk" "$users/.gradle/jdks"
ln -sfn 23.0.1 "$users/scoop/apps/temurin23-jdk/current"
ln -sfn "$prefix/drive_c/Program Files/Eclipse Adoptium/jdk-21.0.2.13-hotspot" "$users/.gradle/jdks/temurin-21"
