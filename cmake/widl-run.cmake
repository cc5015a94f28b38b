# Runs widl for vx_type_library (cmake/typelib.cmake):
#  - the IDL is converted from UTF-8 to code page 1252 first: widl stores help
#    strings as raw bytes and the library is read back in the ANSI code page;
#  - the build fails on widl's "duplicate uuid" warning, the sign that it
#    stored a wrong LIBID.
execute_process(COMMAND iconv -f UTF-8 -t CP1252 ${IDL} OUTPUT_FILE ${WORK} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${IDL}: not convertible to code page 1252")
endif()
execute_process(
  COMMAND ${WIDL} ${ARCH} -I/usr/include/wine/wine/windows -L${LIBDIR}
          -t -h -T ${TLB} -H ${HEADER} ${WORK}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(out OR err)
  message("${out}${err}")
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "widl failed on ${IDL}")
endif()
if(err MATCHES "duplicate uuid" OR out MATCHES "duplicate uuid")
  file(REMOVE ${TLB} ${HEADER})
  message(FATAL_ERROR "widl reported a duplicate uuid for ${IDL}: the LIBID in the type library would be wrong")
endif()
