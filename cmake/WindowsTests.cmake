# Windows builds: every program lands in bin/ next to Vizmark.tbp, links its runtime
# statically, and its tests run under Wine through scripts/wine-run, which reports a test as
# not run where the Wine it needs is missing.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_link_options(-static -static-libgcc -static-libstdc++)
# Small DLLs: unused functions and data are dropped at link time.
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)

# The Wine prefixes, one for each Wine (see scripts/wine-run), live in the build folder.
# x86_64 programs run under the Wine that $VIZMARK_WINE names (the system's, 8, unless told
# otherwise); i686 programs under Wine 10's WoW64, the one of the two that runs them.
set(VIZMARK_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run;${VIZMARK_WINE_DIR})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run;--wine=10;${VIZMARK_WINE_DIR})
endif()

# A test executable run once as one CTest entry (each Wine start costs about a second).
# It passes only when GoogleTest got to its closing "[  PASSED  ]" line with no failure: a
# program that dies on the way (a broken stack can take Wine's client down with it) may
# still leave an exit status of 0.
function(vizmark_add_wine_test target)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()
