# Included by the static checks of the two COM libraries (cmake -P scripts):
# from ${dump} (objdump -p), the exports must be exactly the four server
# entry points, undecorated; anything else goes to the caller's problem().
# The name pointer table lists one "[n] name" per export. The brackets go
# first: CMake lists do not split inside them.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]*\\[[ 0-9]+\\][^\n]*\n)*)" table "${dump}")
set(table "${CMAKE_MATCH_1}")
string(REPLACE "[" " " table "${table}")
string(REPLACE "]" " " table "${table}")
string(REGEX MATCHALL "[0-9]+[ \t]+[^ \t\n]+" entries "${table}")
set(exports "")
foreach(e ${entries})
  string(REGEX REPLACE "^[0-9]+[ \t]+" "" e "${e}")
  list(APPEND exports ${e})
endforeach()
list(SORT exports)
set(wanted DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if(NOT exports STREQUAL wanted)
  problem("exports are '${exports}', expected '${wanted}'")
endif()
