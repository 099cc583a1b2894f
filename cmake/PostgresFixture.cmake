# The private PostgreSQL server of the test suite as a CTest fixture.
#
# integrador_postgres_tests(<test-program>...)
# Every discovered test of the programs whose name contains "postgres" (in
# any case) needs
# the fixture "postgres_server" (scripts/pg-test-server start/stop) and gets
# PG_TEST_ENV=<build>/pg-test/env, the file the server's settings are in.
# Test names are known only after discovery, so the marking is done by a
# file CTest reads after the discovered tests.
#
# integrador_postgres_test(<test>...)
# The same for tests added by name in the current folder (add_test).

function(_integrador_postgres_fixture)
  get_property(_done GLOBAL PROPERTY INTEGRADOR_POSTGRES_FIXTURE)
  if(_done)
    return()
  endif()
  set_property(GLOBAL PROPERTY INTEGRADOR_POSTGRES_FIXTURE ON)
  set(_script "${PROJECT_SOURCE_DIR}/scripts/pg-test-server")
  add_test(NAME postgres.server.start COMMAND "${_script}" start "${CMAKE_BINARY_DIR}")
  add_test(NAME postgres.server.stop COMMAND "${_script}" stop "${CMAKE_BINARY_DIR}")
  set_tests_properties(postgres.server.start PROPERTIES
    FIXTURES_SETUP postgres_server LABELS "postgres" TIMEOUT 180)
  set_tests_properties(postgres.server.stop PROPERTIES
    FIXTURES_CLEANUP postgres_server LABELS "postgres" TIMEOUT 120)
endfunction()

function(integrador_postgres_tests)
  _integrador_postgres_fixture()
  set(_env "PG_TEST_ENV=${CMAKE_BINARY_DIR}/pg-test/env")
  foreach(_program IN LISTS ARGN)
    if(NOT TARGET ${_program})
      continue()
    endif()
    set(_file "${CMAKE_CURRENT_BINARY_DIR}/${_program}_postgres.cmake")
    file(WRITE "${_file}"
      "if(DEFINED ${_program}_TESTS)\n"
      "  foreach(_t IN LISTS ${_program}_TESTS)\n"
      "    string(TOLOWER \"\${_t}\" _lower)\n"
      "    if(_lower MATCHES \"postgres\")\n"
      "      set_tests_properties(\"\${_t}\" PROPERTIES\n"
      "        FIXTURES_REQUIRED postgres_server\n"
      "        ENVIRONMENT \"${_env}\")\n"
      "    endif()\n"
      "  endforeach()\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_file}")
  endforeach()
endfunction()

function(integrador_postgres_test)
  _integrador_postgres_fixture()
  set_tests_properties(${ARGN} PROPERTIES
    FIXTURES_REQUIRED postgres_server
    ENVIRONMENT "PG_TEST_ENV=${CMAKE_BINARY_DIR}/pg-test/env")
endfunction()
