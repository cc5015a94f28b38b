# Static checks of a built Vellox.DLL (any architecture; reads files only):
# exactly the four server exports, undecorated; only Windows system DLLs
# imported; the type library as TYPELIB 1; the version block; the size of
# the stripped file.
#   cmake -DDLL=... -DSTRIPPED=... -DOBJDUMP=... -DWINDRES=... -DARCH=win32|win64 -P static_checks.cmake
set(errors "")
macro(problem text)
  string(APPEND errors "  ${text}\n")
endmacro()

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

# Exports: the name pointer table lists one "[n] name" per export.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]*\\[[ 0-9]+\\][^\n]*\n)*)" table "${dump}")
string(REGEX MATCHALL "\\][ \t]+[^ \t\n]+" entries "${CMAKE_MATCH_1}")
set(exports "")
foreach(e ${entries})
  string(REGEX REPLACE "^\\][ \t]+" "" e "${e}")
  list(APPEND exports ${e})
endforeach()
list(SORT exports)
set(wanted DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if(NOT exports STREQUAL wanted)
  problem("exports are '${exports}', expected '${wanted}'")
endif()

# Imports: Windows system DLLs only.
set(system ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL OLEAUT32.DLL
  SHELL32.DLL USER32.DLL)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(imported "")
foreach(i ${imports})
  string(REGEX REPLACE "DLL Name: " "" i "${i}")
  string(STRIP "${i}" i)
  string(TOUPPER "${i}" upper)
  list(APPEND imported ${i})
  if(NOT upper IN_LIST system)
    problem("imports ${i}, not a Windows system DLL")
  endif()
endforeach()

# Resources, decompiled.
execute_process(COMMAND ${WINDRES} -J coff -O rc -i ${DLL} OUTPUT_VARIABLE rc_text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  problem("windres cannot read the resources")
endif()
if(NOT rc_text MATCHES "\n1 TYPELIB")
  problem("no resource TYPELIB 1")
endif()
foreach(line
    "FILEVERSION 1, 0, 0, 0"
    "PRODUCTVERSION 1, 0, 0, 0"
    "FILEOS 0x4"
    "FILETYPE 0x2"
    "BLOCK \"040704b0\""
    "VALUE \"Translation\", 0x407, 1200")
  string(FIND "${rc_text}" "${line}" at)
  if(at LESS 0)
    problem("version block lacks: ${line}")
  endif()
endforeach()
foreach(pair
    "Comments|kopiert die ausgew\\344hlte Adresse in die Zwischenablage"
    "CompanyName|Vellox"
    "FileDescription|Vellox"
    "FileVersion|1.00"
    "InternalName|Vellox"
    "LegalCopyright|Copyright (C) 2026 Vellox"
    "OriginalFilename|Vellox.DLL"
    "ProductName|Vellorian"
    "ProductVersion|1.00"
    "OLESelfRegister|")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 key)
  list(LENGTH pair n)
  set(value "")
  if(n GREATER 1)
    list(GET pair 1 value)
  endif()
  string(FIND "${rc_text}" "VALUE \"${key}\", \"${value}\"" at)
  if(at LESS 0)
    problem("version string ${key} is not \"${value}\"")
  endif()
endforeach()

file(SIZE ${STRIPPED} size)
math(EXPR kb "(${size} + 1023) / 1024")
message(STATUS "${ARCH}: stripped Vellox.DLL ${size} bytes (${kb} KB); imports: ${imported}")
if(ARCH STREQUAL "win32" AND size GREATER_EQUAL 524288)
  problem("the stripped win32 Vellox.DLL is ${kb} KB, not under 512 KB")
endif()

if(errors)
  message(FATAL_ERROR "${DLL}:\n${errors}")
endif()
