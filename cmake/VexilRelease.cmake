# The release archives, made by CPack from the install rules (tools/make_release.sh):
#   Windows build: vexil-<version>-windows-x64.zip   (wlaunch.exe, claunch.exe, vexil-stamp.exe, sample)
#   Linux builds:  vexil-<version>-linux-x64.tar.gz, vexil-<version>-linux-arm64.tar.gz  (claunch, sample)
# each with README.md and LICENSE, all in one folder named like the archive.
include_guard(GLOBAL)

install(TARGETS claunch RUNTIME DESTINATION .)
if(WIN32)
  install(TARGETS wlaunch vexil-stamp RUNTIME DESTINATION .)
  set(VEXIL_RELEASE_SYSTEM windows-x64)
  set(CPACK_GENERATOR ZIP)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  set(VEXIL_RELEASE_SYSTEM linux-arm64)
  set(CPACK_GENERATOR TGZ)
else()
  set(VEXIL_RELEASE_SYSTEM linux-x64)
  set(CPACK_GENERATOR TGZ)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_PACKAGE_NAME vexil)
set(CPACK_PACKAGE_VENDOR "The Vexil developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(VEXIL_RELEASE_NAME vexil-${PROJECT_VERSION}-${VEXIL_RELEASE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${VEXIL_RELEASE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_SOURCE_GENERATOR "")
# One archive with all in it, whatever components the install rules name.
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)

# The archive's listing against the one in the README (the builds that make releases).
if(BUILD_TESTING AND NOT VEXIL_SANITIZE AND NOT VEXIL_FUZZ)
  add_test(NAME release.listing
    COMMAND ${CMAKE_COMMAND} -DBINARY_DIR=${PROJECT_BINARY_DIR} -DREADME=${PROJECT_SOURCE_DIR}/README.md
            -DARCHIVE=${VEXIL_RELEASE_NAME} -DEXTENSION=$<IF:$<BOOL:${WIN32}>,.zip,.tar.gz>
            -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/check_release_listing.cmake)
  set_tests_properties(release.listing PROPERTIES LABELS release TIMEOUT 300 RESOURCE_LOCK release_archive)
endif()
