# compface::compface: the X-Face codec.
# Natively it is Debian's libcompfaceg1-dev. For Windows, and for the fuzz targets, it is
# built here as a static library from Debian's libcompface source package, which
# scripts/setup fetches with `apt-get source` into .cache/ (nothing of it is committed).
# The fuzz build's sanitizer and coverage options apply to it as to our code, so a fault
# inside the codec shows too.
if(NOT WIN32 AND NOT VIZMARK_FUZZ)
  find_path(COMPFACE_INCLUDE_DIR compface.h REQUIRED)
  find_library(COMPFACE_LIBRARY compface REQUIRED)
  add_library(compface::compface UNKNOWN IMPORTED)
  set_target_properties(compface::compface PROPERTIES
    IMPORTED_LOCATION ${COMPFACE_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${COMPFACE_INCLUDE_DIR})
  return()
endif()

set(_src ${VIZMARK_COMPFACE_SOURCE})
if(NOT EXISTS ${_src}/compface.h OR NOT EXISTS ${_src}/uncompface.c)
  message(FATAL_ERROR "compface source not found in ${_src}: run scripts/setup first")
endif()
file(STRINGS ${_src}/debian/changelog _changelog_head LIMIT_COUNT 1)
if(NOT _changelog_head MATCHES "\\(1:1\\.5\\.2-")
  message(FATAL_ERROR "expected compface 1.5.2 in ${_src}, found: ${_changelog_head}")
endif()

add_library(compface STATIC
  ${_src}/arith.c ${_src}/compface.c ${_src}/compress.c
  ${_src}/file.c ${_src}/gen.c ${_src}/uncompface.c)
target_include_directories(compface PUBLIC ${_src})
# K&R C from 1990: built as it is, quietly.
target_compile_options(compface PRIVATE -w -O2)
target_compile_definitions(compface PRIVATE HAVE_CONFIG_H=1 STDC_HEADERS=1)
if(VIZMARK_FUZZ)
  # Sanitizers and edge coverage, but no tracing of comparisons: the decoder compares on
  # every pixel, and tracing them made the fuzz targets four times slower, for little gain
  # on input that is plain printable text.
  target_compile_options(compface PRIVATE -fno-sanitize-coverage=trace-cmp)
endif()
if(WIN32)
  # The C runtime's own stdio: its few sscanf and sprintf calls need nothing more, and
  # mingw's C99 stdio would add a hundred kilobytes to the DLL.
  target_compile_definitions(compface PRIVATE __USE_MINGW_ANSI_STDIO=0)
endif()
add_library(compface::compface ALIAS compface)
