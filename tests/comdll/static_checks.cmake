# Static checks of a built Vellox.DLL (any architecture; reads files only):
# exactly the four server exports, undecorated; only Windows system DLLs
# imported; the type library as TYPELIB 1; the version block; the size of
# the stripped file.
#   cmake -DDLL=... -DSTRIPPED=... -DOBJDUMP=... -DWINDRES=... -DARCH=win32|win64
#     -DVERSION=<release version a.b.c> -DVERSION_TEXT=<its version text, "1.01"> -P static_checks.cmake
cmake_minimum_required(VERSION 3.25)
set(errors "")
function(problem text)
  set(errors "${errors}  ${text}\n" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

# Exports.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/server_exports.cmake)

# Imports: Windows system DLLs only; for win32, functions Windows 2000 has.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/system_imports.cmake)

# Resources, decompiled.
execute_process(COMMAND ${WINDRES} -J coff -O rc -i ${DLL} OUTPUT_VARIABLE rc_text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  problem("windres cannot read the resources")
endif()
if(NOT rc_text MATCHES "\n1 \"?TYPELIB\"?\n")
  problem("no resource TYPELIB 1")
endif()
string(REPLACE "." ", " version "${VERSION}")
foreach(line
    "FILEVERSION ${version}, 0"
    "PRODUCTVERSION ${version}, 0"
    "FILEOS 0x4"
    "FILETYPE 0x2"
    "BLOCK \"040704B0\""
    "VALUE \"Translation\", 0x407, 1200")
  string(FIND "${rc_text}" "${line}" at)
  if(at LESS 0)
    problem("version block lacks: ${line}")
  endif()
endforeach()
# windres names a resource's language only where it changes.
string(FIND "${rc_text}" "1 VERSIONINFO" at)
string(SUBSTRING "${rc_text}" 0 ${at} before)
string(REGEX MATCHALL "LANGUAGE [0-9]+, [0-9]+" languages "${before}")
list(POP_BACK languages language)
if(NOT language STREQUAL "LANGUAGE 7, 1")
  problem("the version resource is in '${language}', not German (7, 1)")
endif()
foreach(pair
    "Comments|kopiert die ausgew\\344hlte Adresse in die Zwischenablage"
    "CompanyName|Vellox"
    "FileDescription|Vellox"
    "FileVersion|${VERSION_TEXT}"
    "InternalName|Vellox"
    "LegalCopyright|Copyright (C) 2026 Vellox"
    "OriginalFilename|Vellox.DLL"
    "ProductName|Vellorian"
    "ProductVersion|${VERSION_TEXT}"
    "OLESelfRegister|")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 key)
  list(LENGTH pair n)
  set(value "")
  if(n GREATER 1)
    list(GET pair 1 value)
  endif()
  # windres writes texts beyond ASCII as wide strings with octal escapes.
  string(FIND "${rc_text}" "VALUE \"${key}\", \"${value}\"\n" at)
  string(FIND "${rc_text}" "VALUE \"${key}\", L\"${value}\"\n" wide)
  if(at LESS 0 AND wide LESS 0)
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
