# Compiler launcher, linker and warnings shared by every target.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  # Paths relative to the source root, and the options precompiled headers need,
  # so that clean clones in other folders hit the same cache.
  set(_launcher env
      "CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}"
      "CCACHE_NOHASHDIR=1"
      "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
      ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${_launcher})
endif()

find_program(LLD_PROGRAM ld.lld)
if(LLD_PROGRAM)
  add_link_options(-fuse-ld=lld)
endif()

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Keeps precompiled headers reproducible for ccache.
  add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:SHELL:-Xclang -fno-pch-timestamp>")
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

find_package(Threads REQUIRED)
