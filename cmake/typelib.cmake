# vx_type_library(<target> <idl> <name>): compiles a type library written in
# UTF-8 IDL with widl for this build's architecture, into
#   ${CMAKE_CURRENT_BINARY_DIR}/<name>.tlb   (embed as TYPELIB 1)
#   ${CMAKE_CURRENT_BINARY_DIR}/<name>_h.h   (the interfaces for C++, GUIDs via DEFINE_GUID)
# adds both to <target>'s sources and makes the target <target>_typelib, so the .rc and the C++ files that need
# them are built after them. See cmake/widl-run.cmake for the checks.
function(vx_type_library target idl name)
  set(tlb ${CMAKE_CURRENT_BINARY_DIR}/${name}.tlb)
  set(header ${CMAKE_CURRENT_BINARY_DIR}/${name}_h.h)
  add_custom_command(
    OUTPUT ${tlb} ${header}
    COMMAND ${CMAKE_COMMAND} -DWIDL=${VX_WIDL} -DARCH=${VX_WIDL_ARCH} -DLIBDIR=${VX_WINE_LIBDIR}
            -DIDL=${idl} -DTLB=${tlb} -DHEADER=${header}
            -DWORK=${CMAKE_CURRENT_BINARY_DIR}/${name}.1252.idl
            -P ${PROJECT_SOURCE_DIR}/cmake/widl-run.cmake
    DEPENDS ${idl} ${PROJECT_SOURCE_DIR}/cmake/widl-run.cmake
    COMMENT "widl ${name}.idl"
    VERBATIM)
  # Other targets that include the header (tests) depend on <target>_typelib.
  add_custom_target(${target}_typelib DEPENDS ${tlb} ${header})
  add_dependencies(${target} ${target}_typelib)
  target_sources(${target} PRIVATE ${tlb} ${header})
  # SYSTEM: widl's C++ interfaces have no virtual destructors.
  target_include_directories(${target} SYSTEM PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
