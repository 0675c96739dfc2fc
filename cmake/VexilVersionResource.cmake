# The version information of the project's Windows programs, which Explorer
# shows under Properties > Details:
#   vexil_version_resource(<target> "<file description>")
# compiles a VERSIONINFO resource with the project's version into <target>.
include_guard(GLOBAL)

function(vexil_version_resource target description)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  set(VEXIL_RC_NAME ${name})
  set(VEXIL_RC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
