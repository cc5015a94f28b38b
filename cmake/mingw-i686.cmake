set(VX_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VX_DIST_NAME win32)
set(VX_WIDL_ARCH --win32)
set(VX_WINE_LIBDIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
# 32-bit code cannot run on these machines, not even under Wine.
set(VX_CAN_RUN OFF)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_SHARED_LINKER_FLAGS_INIT} -Wl,--enable-stdcall-fixup")
