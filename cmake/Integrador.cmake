# Helpers that give every area the same shape: one static library per folder,
# one GoogleTest program per area in tests/<area>/, threaded tests apart.

include(GoogleTest)
find_package(GTest REQUIRED)

# With INTEGRADOR_UNITY, <target>'s sources compile in batches. A file whose
# file-local names clash with another's, or one still changing fast, is kept
# out of its batch with the source property SKIP_UNITY_BUILD_INCLUSION.
function(_integrador_unity target batch)
  if(INTEGRADOR_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${batch})
    # In a batch every source is an included file to GCC, so a test fixture
    # in an anonymous namespace "has internal linkage in a header": noise.
    target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  endif()
endfunction()

# integrador_library(<target> [DEPS libs...])
# Builds every .cpp below the current folder into one static library.
function(integrador_library target)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT _srcs)
    # An area whose headers came before its sources.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${target} INTERFACE ${A_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${_srcs})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${target} PUBLIC ${A_DEPS})
  _integrador_unity(${target} ${INTEGRADOR_UNITY_BATCH})
  # The standard and run-time headers nearly every source includes, parsed
  # once per library. Writing the precompiled header costs about as much as
  # parsing them, plus tens of megabytes written and read back, so it pays
  # only in a library compiled as several units (files, or unity batches).
  list(LENGTH _srcs _units)
  if(INTEGRADOR_UNITY)
    if(INTEGRADOR_UNITY_BATCH GREATER 0)
      math(EXPR _units "(${_units} + ${INTEGRADOR_UNITY_BATCH} - 1) / ${INTEGRADOR_UNITY_BATCH}")
    else()
      set(_units 1)
    endif()
  endif()
  if(_units GREATER_EQUAL INTEGRADOR_PCH_MIN_UNITS)
    target_precompile_headers(${target} PRIVATE
      <algorithm> <cmath> <cstdint> <cstring> <functional> <map> <memory> <mutex> <string> <vector>
      "${PROJECT_SOURCE_DIR}/platform/rtl/types.h" "${PROJECT_SOURCE_DIR}/platform/rtl/ustring.h"
      "${PROJECT_SOURCE_DIR}/platform/rtl/except.h" "${PROJECT_SOURCE_DIR}/platform/rtl/object.h"
      "${PROJECT_SOURCE_DIR}/platform/rtl/classes.h")
  endif()
  set_property(GLOBAL APPEND PROPERTY INTEGRADOR_LIBRARIES ${target})
  if(INTEGRADOR_THREADS_ONLY)
    # Built only when a threaded test program links it.
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
endfunction()

# Test code is glue around the libraries under test, which keep their
# optimisation: optimising the glue buys nothing at run time and costs a
# third of its compile time. Every test program shares one precompiled
# header, built once.
function(_integrador_test_pch)
  if(TARGET integrador_test_pch)
    return()
  endif()
  set(_src "${CMAKE_BINARY_DIR}/integrador_test_pch.cpp")
  file(WRITE "${_src}" "// The shared precompiled header of the test programs.\n")
  add_library(integrador_test_pch OBJECT "${_src}")
  target_link_libraries(integrador_test_pch PRIVATE GTest::gtest GTest::gmock)
  target_precompile_headers(integrador_test_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector>)
  # -pthread (that is, _REENTRANT) as every user has it: the programs over
  # the drawing libraries get it from pango's flags, the others from here. A
  # header precompiled with other macros than its user's is silently skipped
  # by GCC and refused by clang.
  target_compile_options(integrador_test_pch PRIVATE -O0 -pthread)
endfunction()

function(_integrador_test_program name area labels)
  _integrador_test_pch()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${_INTEGRADOR_TEST_LIBS} integrador_test_support
                        GTest::gtest GTest::gmock GTest::gtest_main)
  target_precompile_headers(${name} REUSE_FROM integrador_test_pch)
  target_compile_options(${name} PRIVATE -O0 -pthread)
  _integrador_unity(${name} ${INTEGRADOR_UNITY_TEST_BATCH})
  gtest_discover_tests(${name}
    TEST_PREFIX "${area}."
    TEST_LIST ${name}_TESTS
    DISCOVERY_TIMEOUT 60)
  # Labels are a list, which the discovery's own PROPERTIES cannot carry, so
  # they are set by a file read after the discovered tests.
  set(_props "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(WRITE "${_props}"
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\" TIMEOUT 300)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_props}")
endfunction()

# integrador_tests(<area> LIBS libs... [LABELS extra...])
# tests/<area>/*.cpp form <area>_tests; tests/<area>/threads/*.cpp form
# <area>_threads_tests with the extra label "threads".
function(integrador_tests area)
  cmake_parse_arguments(A "" "" "LIBS;LABELS" ${ARGN})
  set(_INTEGRADOR_TEST_LIBS ${A_LIBS})
  file(GLOB _srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(_srcs AND NOT INTEGRADOR_THREADS_ONLY)
    set(_labels ${area} ${A_LABELS})
    _integrador_test_program(${area}_tests ${area} "${_labels}" ${_srcs})
  endif()
  file(GLOB _tsrcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/threads/*.cpp")
  if(_tsrcs)
    set(_labels ${area} threads ${A_LABELS})
    _integrador_test_program(${area}_threads_tests ${area} "${_labels}" ${_tsrcs})
  endif()
endfunction()
