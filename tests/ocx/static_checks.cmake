# Static checks of a built Vellox.ocx (any architecture; reads files only):
# exactly the four server exports, undecorated; only Windows system DLLs
# imported; TYPELIB 1, the toolbox bitmap 30000 (16 x 15, 4 bpp) and the
# version block; the stripped file under 512 KB.
#   cmake -DOCX=... -DSTRIPPED=... -DOBJDUMP=... -DWINDRES=... -DVERSION=<a.b.c> -DVERSION_TEXT=<"1.01">
#     -P static_checks.cmake
cmake_minimum_required(VERSION 3.25)
set(errors "")
macro(problem text)
  string(APPEND errors "  ${text}\n")
endmacro()

execute_process(COMMAND ${OBJDUMP} -p ${OCX} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${OCX}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/server_exports.cmake)

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/system_imports.cmake)

execute_process(COMMAND ${WINDRES} -J coff -O rc -i ${OCX} OUTPUT_VARIABLE rc_text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  problem("windres cannot read the resources")
endif()
string(REPLACE "." ", " version "${VERSION}")
foreach(line
    "\n1 \"TYPELIB\""
    "\n30000 2 /* RT_BITMAP */"
    "FILEVERSION ${version}, 25"
    "PRODUCTVERSION ${version}, 25"
    "FILEOS 0x4"
    "FILETYPE 0x2"
    "BLOCK \"040704B0\""
    "VALUE \"Translation\", 0x407, 1200"
    "VALUE \"FileVersion\", \"${VERSION_TEXT}.0025\""
    "VALUE \"ProductVersion\", \"${VERSION_TEXT}.0025\""
    "VALUE \"FileDescription\", \"ActiveX control that provides a custom Property Page for a COM add-in for Outlook 2000\""
    "VALUE \"Comments\", \"ActiveX control for custom Property Page for Vellox COM add-in\""
    "VALUE \"ProductName\", \"Vellox\""
    "VALUE \"InternalName\", \"Vellox\""
    "VALUE \"OriginalFilename\", \"Vellox.ocx\""
    "VALUE \"OLESelfRegister\", \"\"")
  string(FIND "${rc_text}" "${line}" at)
  if(at EQUAL -1)
    string(STRIP "${line}" shown)
    problem("resources lack: ${shown}")
  endif()
endforeach()

# The toolbox bitmap's header: 16 x 15 pixels, 4 bits per pixel.
execute_process(COMMAND ${OBJDUMP} -s -j .rsrc ${OCX} OUTPUT_VARIABLE rsrc)
string(REGEX REPLACE "[^\n]* ([0-9a-f]+ [0-9a-f]+ [0-9a-f]+ [0-9a-f]+)  [^\n]*\n?" "\\1 " hex "${rsrc}")
string(REPLACE " " "" hex "${hex}")
# BITMAPINFOHEADER: size 40, width 16, height 15, planes 1, 4 bpp.
string(FIND "${hex}" "28000000100000000f00000001000400" header)
if(header EQUAL -1)
  problem("no 16 x 15, 4 bpp bitmap in the resources")
endif()

file(SIZE ${STRIPPED} size)
math(EXPR limit "512 * 1024")
if(size GREATER_EQUAL limit)
  problem("stripped file is ${size} bytes, not under 512 KB")
endif()
message(STATUS "stripped ${STRIPPED}: ${size} bytes")

if(errors)
  message(FATAL_ERROR "Vellox.ocx (${OCX}):\n${errors}")
endif()
