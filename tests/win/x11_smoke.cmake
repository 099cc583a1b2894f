# The X11 smoke test, included from tests/win/CMakeLists.txt: scripts/x11-smoke
# starts its own display with xvfb-run and runs x11_smoke against it (label
# "x11").
if(TARGET platform_win AND NOT INTEGRADOR_THREADS_ONLY)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(X11_SMOKE_XTST REQUIRED IMPORTED_TARGET xtst)
  add_executable(x11_smoke "${CMAKE_CURRENT_LIST_DIR}/x11/x11_smoke.cpp")
  target_link_libraries(x11_smoke PRIVATE platform_win PkgConfig::X11_SMOKE_XTST)
  # With the integrador program it also opens the login window on that display.
  set(_integrador)
  if(TARGET integrador)
    set(_integrador "$<TARGET_FILE:integrador>")
  endif()
  add_test(NAME x11.smoke
           COMMAND "${CMAKE_CURRENT_LIST_DIR}/../../scripts/x11-smoke" "$<TARGET_FILE:x11_smoke>"
                   "${CMAKE_CURRENT_BINARY_DIR}/x11-smoke.png" ${_integrador})
  set_tests_properties(x11.smoke PROPERTIES LABELS "x11" TIMEOUT 120)
endif()
