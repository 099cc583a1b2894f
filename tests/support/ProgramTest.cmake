# A whole GoogleTest program (or a filtered part of it) as one ctest entry.
#
# integrador_gtest_program_test(<name> <target> [ARGS args...] [LABELS labels...]
#                               [TIMEOUT seconds] [COST seconds] [POSTGRES])
# Runs <target> through tests/support/gtest_program.py, which fails the entry
# when the program ran no test: a filter that matches nothing, or tests that
# all skipped, would otherwise pass as one green line. Some tests skipped
# among others that ran make the entry a skipped one, so that they show in
# ctest's list of tests that did not run. POSTGRES puts the entry on the
# suite's private server (cmake/PostgresFixture.cmake). COST, the entry's
# usual run time, lets a parallel ctest start the long entries first, before
# it has timed them once itself.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
include("${PROJECT_SOURCE_DIR}/cmake/PostgresFixture.cmake")

function(integrador_gtest_program_test name target)
  cmake_parse_arguments(A "POSTGRES" "TIMEOUT;COST" "ARGS;LABELS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  add_test(NAME ${name}
           COMMAND ${Python3_EXECUTABLE} "${PROJECT_SOURCE_DIR}/tests/support/gtest_program.py"
                   "$<TARGET_FILE:${target}>" ${A_ARGS})
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}" TIMEOUT ${A_TIMEOUT}
    SKIP_REGULAR_EXPRESSION "gtest_program: SKIPPED [0-9]+ of [0-9]+ selected tests")
  if(A_COST)
    set_tests_properties(${name} PROPERTIES COST ${A_COST})
  endif()
  if(A_POSTGRES)
    integrador_postgres_test(${name})
  endif()
endfunction()
