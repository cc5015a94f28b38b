set(VX_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VX_DIST_NAME win32)
set(VX_WIDL_ARCH --win32)
set(VX_WINE_LIBDIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
# 32-bit Windows code runs here only under the WoW64 Wine that
# tools/wow64-wine.sh builds (Debian's wine cannot start 32-bit programs on
# these machines): with it the 32-bit build runs every Windows-side test,
# without it the build is compiled and checked statically only.
execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tools/wow64-wine.sh --where
  OUTPUT_VARIABLE vx_wine_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE vx_wine_rc)
if(vx_wine_rc EQUAL 0 AND EXISTS "${vx_wine_dir}/bin/wine")
  set(VX_CAN_RUN ON)
  set(VX_WINE_BIN "${vx_wine_dir}/bin")
else()
  set(VX_CAN_RUN OFF)
  set(VX_WINE_BIN "")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_SHARED_LINKER_FLAGS_INIT} -Wl,--enable-stdcall-fixup")
if(VX_CAN_RUN)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
