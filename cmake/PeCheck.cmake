# vizmark_check_pe(target def_file): after every link, and again as a test, the DLL must
# export exactly the names the module-definition file lists (undecorated) and import only
# system DLLs.
function(vizmark_check_pe target def_file)
  set(_args -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:${target}> -DEXPORTS=${def_file}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_pe.cmake)
  add_custom_command(TARGET ${target} POST_BUILD COMMAND ${CMAKE_COMMAND} ${_args} VERBATIM)
  add_test(NAME ${target}_exports_and_imports COMMAND ${CMAKE_COMMAND} ${_args})
endfunction()
