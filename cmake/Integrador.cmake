# Helpers that give every area the same shape: one static library per folder,
# one GoogleTest program per area in tests/<area>/, threaded tests apart.

include(GoogleTest)
find_package(GTest REQUIRED)

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
  set_property(GLOBAL APPEND PROPERTY INTEGRADOR_LIBRARIES ${target})
  if(INTEGRADOR_THREADS_ONLY)
    # Built only when a threaded test program links it.
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
endfunction()

function(_integrador_test_program name area labels)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${_INTEGRADOR_TEST_LIBS} integrador_test_support
                        GTest::gtest GTest::gmock GTest::gtest_main)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector>)
  # Test code is glue around the libraries under test, which keep their
  # optimisation: optimising the glue buys nothing at run time and costs a
  # third of its compile time.
  target_compile_options(${name} PRIVATE -O0)
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
