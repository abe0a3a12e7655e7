# Compiler set-up: warnings, sanitizers, ccache.
find_program(PELKO_CCACHE ccache)
if(PELKO_CCACHE)
  # Precompiled headers need these to be cached.
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
      "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
      ${PELKO_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${PELKO_CCACHE})
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter -fno-omit-frame-pointer)
add_compile_definitions(QT_NO_KEYWORDS_DISABLED)

if(PELKO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(PELKO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PELKO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
  endif()
  # Instrument every library for coverage; only the fuzzer binaries link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
  if(NOT PELKO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # Sizes, coordinates and colour bytes computed in floating point must saturate, never overflow.
  add_compile_options(-fsanitize=float-cast-overflow -fno-sanitize-recover=float-cast-overflow)
  add_link_options(-fsanitize=float-cast-overflow)
endif()
if(CMAKE_BUILD_TYPE STREQUAL "Debug")
  # Keep test builds quick to compile while still debuggable.
  add_compile_options(-O1 -g1)
endif()

# Build folders stay small (the test build's rule is at most 2,560 MB after ./test). Static
# libraries are thin archives: they name their objects instead of holding copies. Executables keep
# their relative relocations packed (the sanitizers' data holds a million pointers, which took a
# quarter of every test program). Debug sections are compressed.
set(CMAKE_C_ARCHIVE_CREATE "<CMAKE_AR> qcT <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_C_ARCHIVE_APPEND "<CMAKE_AR> qT <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_CREATE "<CMAKE_AR> qcT <TARGET> <LINK_FLAGS> <OBJECTS>")
set(CMAKE_CXX_ARCHIVE_APPEND "<CMAKE_AR> qT <TARGET> <LINK_FLAGS> <OBJECTS>")
include(CheckLinkerFlag)
check_linker_flag(CXX "-Wl,-z,pack-relative-relocs" PELKO_LINKER_PACKS_RELOCATIONS)
if(PELKO_LINKER_PACKS_RELOCATIONS)
  add_link_options(-Wl,-z,pack-relative-relocs)
endif()
if(CMAKE_BUILD_TYPE MATCHES "^(Debug|RelWithDebInfo)$")
  add_compile_options(-gz)
  add_link_options(-gz)
endif()
