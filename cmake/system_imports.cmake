# Included by the static checks of the two COM libraries (cmake -P scripts):
# from ${dump} (objdump -p), both libraries may import from Windows system
# DLLs only. A 32-bit library (ARCH win32) must also load on Windows 2000
# SP4 and XP: Windows resolves every import when it loads a DLL, so one
# function those systems lack makes the whole library unloadable. Each
# function it imports, from the import and the delay-import table alike,
# must be on the reviewed list win2000_imports.txt beside this file, and the
# PE header must ask for Windows 4.x or 5.x. Findings go to the caller's
# problem().
set(system_dlls ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL OLEAUT32.DLL
  SHELL32.DLL USER32.DLL)

# The reviewed list: "[DLL]" headings, one function a line, # comments.
set(reviewed "")
if(ARCH STREQUAL "win32")
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/win2000_imports.txt list_lines)
  set(section "")
  foreach(line ${list_lines})
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line MATCHES "^\\[(.+)\\]$")
      string(TOUPPER "${CMAKE_MATCH_1}" section)
    elseif(NOT line STREQUAL "")
      list(APPEND reviewed "${section}!${line}")
    endif()
  endforeach()
endif()

# objdump prints each imported DLL as a block: "DLL Name: X", a heading, one
# "<vma> <hint> <name>" line per function, then an empty line.
set(imported "")  # the DLL names, for the caller's summary
string(REGEX MATCHALL "DLL Name: [^\n]+\n[^\n]*Member-Name[^\n]*\n([^\n]+\n)*" blocks "${dump}")
if(NOT blocks)
  problem("no import table found")
endif()
foreach(block ${blocks})
  string(REGEX MATCH "DLL Name: ([^\n]+)" _ "${block}")
  string(STRIP "${CMAKE_MATCH_1}" dll)
  string(TOUPPER "${dll}" dll_upper)
  list(APPEND imported ${dll})
  if(NOT dll_upper IN_LIST system_dlls)
    problem("imports ${dll}, not one of the Windows system DLLs allowed")
  endif()
  if(NOT ARCH STREQUAL "win32")
    continue()
  endif()
  string(REGEX MATCHALL "[^\n]+" members "${block}")
  list(REMOVE_AT members 0 1)  # the name and the heading
  foreach(member ${members})
    if(member MATCHES "^[ \t]*[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+([A-Za-z_][A-Za-z0-9_@?$]*)")
      if(NOT "${dll_upper}!${CMAKE_MATCH_1}" IN_LIST reviewed)
        problem("imports ${dll}!${CMAKE_MATCH_1}, not on the reviewed list of Windows 2000 SP4 functions (cmake/win2000_imports.txt): confirm it exists there before adding it")
      endif()
    else()
      string(STRIP "${member}" member)
      problem("imports from ${dll} by ordinal or in an unknown form: '${member}'")
    endif()
  endforeach()
endforeach()

if(ARCH STREQUAL "win32")
  foreach(field OSystem Subsystem)
    if(NOT dump MATCHES "Major${field}Version[ \t]+([0-9]+)")
      problem("no Major${field}Version in the PE header")
    elseif(NOT CMAKE_MATCH_1 MATCHES "^[45]$")
      problem("PE header Major${field}Version is ${CMAKE_MATCH_1}: Windows 2000 and XP need 4 or 5")
    endif()
  endforeach()
endif()
