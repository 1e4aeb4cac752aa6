# vizmark_check_pe(target exports_list): after every link, and again as a test, the DLL
# must export exactly the names in `exports_list` (undecorated) and import only system DLLs.
function(vizmark_check_pe target exports_list)
  set(_args -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:${target}> -DEXPORTS=${exports_list}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_pe.cmake)
  add_custom_command(TARGET ${target} POST_BUILD COMMAND ${CMAKE_COMMAND} ${_args} VERBATIM)
  add_test(NAME ${target}_exports_and_imports COMMAND ${CMAKE_COMMAND} ${_args})
endfunction()
