# integrador_resources(<target> RESOURCES <TYPE>:<NAME>=<file> ...)
# Compiles files of the repository into <target>; at run time they are found
# by type and name through rtl::FindResource.
function(integrador_resources target)
  cmake_parse_arguments(A "" "" "RESOURCES" ${ARGN})
  set(_out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
  set(_files)
  set(_specs)
  foreach(_entry IN LISTS A_RESOURCES)
    if(NOT _entry MATCHES "^([^:]+):([^=]+)=(.+)$")
      message(FATAL_ERROR "integrador_resources: bad entry '${_entry}' (want TYPE:NAME=file)")
    endif()
    set(_file "${CMAKE_MATCH_3}")
    if(NOT IS_ABSOLUTE "${_file}")
      set(_file "${CMAKE_CURRENT_SOURCE_DIR}/${_file}")
    endif()
    list(APPEND _files "${_file}")
    list(APPEND _specs "${CMAKE_MATCH_1}:${CMAKE_MATCH_2}=${_file}")
  endforeach()
  string(REPLACE ";" "|" _specs_arg "${_specs}")
  add_custom_command(
    OUTPUT "${_out}"
    COMMAND ${CMAKE_COMMAND} "-DOUT=${_out}" "-DSPECS=${_specs_arg}" "-DTARGET=${target}"
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake"
    DEPENDS ${_files} "${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake"
    COMMENT "Embedding resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${_out}")
endfunction()
