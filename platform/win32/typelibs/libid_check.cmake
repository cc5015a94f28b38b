# Reads the LIBID, version and SYSKIND stored in a type library file (MSFT
# format) without loading it, so that the 32-bit build, which cannot run here,
# is checked as well as the 64-bit one (whose libraries are also loaded by
# the substitute Outlook's tests).
#   cmake -DTLB=<file> -DLIBID=<{GUID}> -DVERSION=<major.minor> -DSYSKIND=<0|1|3> -P libid_check.cmake
file(READ ${TLB} hex HEX)

# Little-endian unsigned 32-bit integer at byte offset.
function(u32 offset out)
  math(EXPR at "${offset} * 2")
  string(SUBSTRING "${hex}" ${at} 8 h)
  string(SUBSTRING "${h}" 6 2 b3)
  string(SUBSTRING "${h}" 4 2 b2)
  string(SUBSTRING "${h}" 2 2 b1)
  string(SUBSTRING "${h}" 0 2 b0)
  math(EXPR v "0x${b3}${b2}${b1}${b0}")
  set(${out} ${v} PARENT_SCOPE)
endfunction()
function(bytes offset count out)
  math(EXPR at "${offset} * 2")
  math(EXPR n "${count} * 2")
  string(SUBSTRING "${hex}" ${at} ${n} h)
  string(TOUPPER "${h}" h)
  set(${out} ${h} PARENT_SCOPE)
endfunction()

string(SUBSTRING "${hex}" 0 8 magic)
if(NOT magic STREQUAL "4d534654")  # "MSFT"
  message(FATAL_ERROR "${TLB}: not an MSFT type library")
endif()
u32(8 posguid)
u32(20 varflags)
u32(24 version)
u32(32 typeinfos)
math(EXPR syskind "${varflags} & 15")
math(EXPR major "${version} & 0xFFFF")
math(EXPR minor "${version} >> 16")
# Header 0x54 bytes (+4 with a help DLL), the type info offsets, then the
# segment directory; segment 5 is the GUID table.
set(dir 84)
math(EXPR helpdll "${varflags} & 0x100")
if(helpdll)
  math(EXPR dir "${dir} + 4")
endif()
math(EXPR dir "${dir} + 4 * ${typeinfos}")
math(EXPR guidDir "${dir} + 5 * 16")
u32(${guidDir} guidTable)
math(EXPR at "${guidTable} + ${posguid}")
bytes(${at} 4 d1)
math(EXPR at4 "${at} + 4")
math(EXPR at6 "${at} + 6")
math(EXPR at8 "${at} + 8")
bytes(${at4} 2 d2)
bytes(${at6} 2 d3)
bytes(${at8} 8 d4)
# Data1..3 are little-endian.
string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" d1 "${d1}")
string(REGEX REPLACE "(..)(..)" "\\2\\1" d2 "${d2}")
string(REGEX REPLACE "(..)(..)" "\\2\\1" d3 "${d3}")
string(SUBSTRING "${d4}" 0 4 d4a)
string(SUBSTRING "${d4}" 4 12 d4b)
set(found "{${d1}-${d2}-${d3}-${d4a}-${d4b}}")
string(TOUPPER "${LIBID}" LIBID)
if(NOT found STREQUAL LIBID OR NOT "${major}.${minor}" STREQUAL VERSION OR NOT syskind EQUAL SYSKIND)
  message(FATAL_ERROR "${TLB}: LIBID ${found} version ${major}.${minor} syskind ${syskind}, "
                      "expected ${LIBID} ${VERSION} syskind ${SYSKIND}")
endif()
message(STATUS "${TLB}: ${found} ${major}.${minor} syskind ${syskind}")
