# Helpers shared by the project's CMakeLists files.

# vx_glob_library(<name> <dir> [deps...]): a static library of every .cpp in
# <dir> (an interface library while there is none yet).
function(vx_glob_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# The environment of every Wine process of a test: the build's private
# prefix, a German locale, and for the 32-bit build the WoW64 Wine
# (VX_WINE_BIN, which cmake/wine-run.sh and tools/wine-prefix.sh put first
# on the PATH).
set(VX_WINE_ENV "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" "WINEDEBUG=-all" "LANG=de_DE.UTF-8"
  "LC_ALL=de_DE.UTF-8" "VX_WINE_BIN=${VX_WINE_BIN}")

# vx_wine_test(NAME <name> COMMAND <cmd...> [LOCK]): a test that runs under
# Wine in the build's private prefix (set up by the wine fixture). LOCK
# serialises tests that use the desktop, the clipboard or windows, which are
# prefix-wide.
function(vx_wine_test)
  cmake_parse_arguments(T "LOCK" "NAME;TIMEOUT" "COMMAND" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${VX_WINE_ENV}")
  if(T_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
  if(T_TIMEOUT)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()
