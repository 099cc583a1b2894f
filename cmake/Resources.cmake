# integrador_resources(<target> RESOURCES <TYPE>:<NAME>=<file> ...)
# Compiles files of the repository into <target>; at run time they are found
# by type and name through rtl::FindResource. TYPE and NAME are letters,
# digits, '_', '.' and '-'; a relative file is taken from the current source
# folder.
#
# The generated table lands in an ELF section that rtl::FindResource walks,
# so it needs no code that anyone calls. Objects inside a static archive are
# only linked when something references them, so for a static library the
# table is built as an object library whose object file goes straight onto
# the link line of every program that links the library.
function(integrador_resources target)
  cmake_parse_arguments(A "" "" "RESOURCES" ${ARGN})
  if(NOT A_RESOURCES)
    message(FATAL_ERROR "integrador_resources(${target}): no RESOURCES given")
  endif()
  set(_out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
  set(_files)
  set(_specs)
  foreach(_entry IN LISTS A_RESOURCES)
    if(NOT _entry MATCHES "^([A-Za-z0-9_.-]+):([A-Za-z0-9_.-]+)=(.+)$")
      message(FATAL_ERROR "integrador_resources(${target}): bad entry '${_entry}' (want TYPE:NAME=file)")
    endif()
    set(_file "${CMAKE_MATCH_3}")
    if(NOT IS_ABSOLUTE "${_file}")
      set(_file "${CMAKE_CURRENT_SOURCE_DIR}/${_file}")
    endif()
    if(NOT EXISTS "${_file}")
      message(FATAL_ERROR "integrador_resources(${target}): missing file '${_file}'")
    endif()
    list(APPEND _files "${_file}")
    list(APPEND _specs "${CMAKE_MATCH_1}:${CMAKE_MATCH_2}=${_file}")
  endforeach()
  string(REPLACE ";" "|" _specs_arg "${_specs}")
  add_custom_command(
    OUTPUT "${_out}"
    COMMAND ${CMAKE_COMMAND} "-DOUT=${_out}" "-DSPECS=${_specs_arg}" "-DROOT=${PROJECT_SOURCE_DIR}"
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake"
    DEPENDS ${_files} "${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake"
    COMMENT "Embedding resources of ${target}"
    VERBATIM)

  get_target_property(_kind ${target} TYPE)
  if(_kind STREQUAL "STATIC_LIBRARY")
    set(_objects ${target}_resources)
    add_library(${_objects} OBJECT "${_out}")
    target_include_directories(${_objects} PRIVATE "${PROJECT_SOURCE_DIR}")
    get_target_property(_excluded ${target} EXCLUDE_FROM_ALL)
    if(_excluded)
      set_target_properties(${_objects} PROPERTIES EXCLUDE_FROM_ALL ON)
    endif()
    target_link_libraries(${target} INTERFACE "$<TARGET_OBJECTS:${_objects}>")
    add_dependencies(${target} ${_objects})
  else()
    target_sources(${target} PRIVATE "${_out}")
    # Generated data, no headers to share: it stays out of a unity batch.
    set_source_files_properties("${_out}" TARGET_DIRECTORY ${target}
                                PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  endif()
endfunction()
