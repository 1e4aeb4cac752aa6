# Reads a DLL's export and import tables with objdump and fails when the exports are not
# exactly the names the module-definition file lists under EXPORTS, or when a DLL outside the
# system's own is imported.
# cmake -DOBJDUMP=... -DDLL=... -DEXPORTS=Module.def -P check_pe.cmake
cmake_minimum_required(VERSION 3.25)

set(_system_dlls
  kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll comdlg32.dll
  msvcrt.dll ole32.dll oleaut32.dll shlwapi.dll version.dll uxtheme.dll ntdll.dll
  windowscodecs.dll)

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE _dump RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()

# Exports: the lines after "[Ordinal/Name Pointer] Table" look like "\t[   0] TBP_ExecMacro".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(.*)" _tail "${_dump}")
set(_exports "")
string(REPLACE "\n" ";" _lines "${CMAKE_MATCH_1}")
foreach(_line IN LISTS _lines)
  if(_line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
    list(APPEND _exports "${CMAKE_MATCH_1}")
  elseif(_exports)
    break()
  endif()
endforeach()
list(SORT _exports)
# The .def's EXPORTS section: one name a line, maybe followed by "@ordinal" or other words;
# ";" starts a comment.
file(STRINGS ${EXPORTS} _def_lines)
set(_expected "")
set(_in_exports FALSE)
foreach(_line IN LISTS _def_lines)
  string(REGEX REPLACE ";.*" "" _line "${_line}")
  string(STRIP "${_line}" _line)
  if(_line MATCHES "^(EXPORTS|LIBRARY|NAME|SECTIONS|HEAPSIZE|STACKSIZE|VERSION)( |$)")
    if(CMAKE_MATCH_1 STREQUAL "EXPORTS")
      set(_in_exports TRUE)
    else()
      set(_in_exports FALSE)
    endif()
  elseif(_in_exports AND _line MATCHES "^([A-Za-z_][A-Za-z0-9_@]*)")
    list(APPEND _expected "${CMAKE_MATCH_1}")
  endif()
endforeach()
if(NOT _expected)
  message(FATAL_ERROR "${EXPORTS} lists no exports")
endif()
list(SORT _expected)
if(NOT _exports STREQUAL _expected)
  message(FATAL_ERROR "${DLL} exports\n  ${_exports}\nbut must export exactly\n  ${_expected}")
endif()

# Imports: "\tDLL Name: KERNEL32.dll".
string(REGEX MATCHALL "DLL Name: [^\n]+" _imports "${_dump}")
set(_bad "")
foreach(_import IN LISTS _imports)
  string(REPLACE "DLL Name: " "" _name "${_import}")
  string(TOLOWER "${_name}" _name)
  string(STRIP "${_name}" _name)
  if(NOT _name IN_LIST _system_dlls AND NOT _name MATCHES "^api-ms-win-")
    list(APPEND _bad ${_name})
  endif()
endforeach()
if(_bad)
  message(FATAL_ERROR "${DLL} imports DLLs that are not part of Windows: ${_bad}")
endif()
list(LENGTH _exports _count)
string(REPLACE "DLL Name: " "" _imports "${_imports}")
message(STATUS "${DLL}: ${_count} exports as listed; imports ${_imports}")
