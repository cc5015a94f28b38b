# Runs widl for one type library and fails on its sign of a corrupted LIBID:
# a "duplicate uuid" warning about IDispatch/IUnknown.
#   cmake -DWIDL= -DARCH= -DLIBDIR= -DIDL= -DTLB= -DHEADER= -P widl.cmake
set(err "")
foreach(mode "-t;-o;${TLB}" "-h;-o;${HEADER}")
  execute_process(
    COMMAND ${WIDL} ${ARCH} -I/usr/include/wine/wine/windows -L${LIBDIR} ${mode} ${IDL}
    RESULT_VARIABLE rc ERROR_VARIABLE e OUTPUT_VARIABLE log)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "widl failed (${rc}):\n${log}${e}")
  endif()
  string(APPEND err "${e}")
endforeach()
if(err MATCHES "duplicate uuid")
  file(REMOVE ${TLB} ${HEADER})
  message(FATAL_ERROR "widl warned of a duplicate uuid; the LIBID would be wrong:\n${err}")
endif()
if(err)
  message(WARNING "${err}")
endif()
