# Interfaces defined in our own IDL files, compiled with widl (Debian's mingw-w64-tools) against
# the COM base interfaces' IDL that Wine's development files carry (libwine-dev).
#
# tavrel_compile_idl(<target> <file.idl>) gives <target> the C++ declarations of the IDL
# (<name>_declarations.h in the build tree, at the IDL's path from the top of the tree) and, in
# the Windows build, the interface identifiers and the proxy/stub that carry its calls between
# processes: <name>_ProxyStub, which platform/com/windows/proxy_stub.h registers. The
# proxy/stub (<name>_p.c, with widl's format of string results mended by
# cmake/idl_proxy_fix.cmake) is compiled inside <name>_proxy.c (cmake/idl_proxy.c.in), which
# adds what a proxy DLL's data file would.
#
# The declarations are widl's header without its includes and without what only C and the
# mingw-w64 headers can use (cmake/idl_declarations.cmake): a header that includes them includes
# platform/com/com_api.h first and then them, inside namespace tavrel, so that both the stand-in
# runtime and the SDK declare what they name. widl runs when CMake configures (in milliseconds),
# and again whenever an IDL file changes, so that the declarations exist before anything that
# includes them is compiled, whichever target that is.

find_program(TAVREL_WIDL NAMES x86_64-w64-mingw32-widl widl REQUIRED)
find_path(TAVREL_COM_IDL_DIRECTORY unknwn.idl PATHS /usr/include/wine/wine/windows
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

function(tavrel_run_widl source)
  execute_process(
    COMMAND ${TAVREL_WIDL} --win64 -Oif -I ${TAVREL_COM_IDL_DIRECTORY} ${ARGN} ${source}
    RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "widl failed on ${source}:\n${errors}")
  endif()
endfunction()

function(tavrel_compile_idl target idl)
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(source ${idl} ABSOLUTE)
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(output ${PROJECT_BINARY_DIR}/generated/${relative})
  file(MAKE_DIRECTORY ${output})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source}
    ${PROJECT_SOURCE_DIR}/cmake/idl_declarations.cmake ${PROJECT_SOURCE_DIR}/cmake/idl_proxy.c.in
    ${PROJECT_SOURCE_DIR}/cmake/idl_proxy_fix.cmake)

  tavrel_run_widl(${source} -h -o ${output}/${name}_widl.h)
  execute_process(COMMAND ${CMAKE_COMMAND} -DINPUT=${output}/${name}_widl.h
    -DOUTPUT=${output}/${name}_declarations.h -P ${PROJECT_SOURCE_DIR}/cmake/idl_declarations.cmake
    COMMAND_ERROR_IS_FATAL ANY)
  target_sources(${target} PRIVATE ${output}/${name}_declarations.h)
  target_include_directories(${target} PUBLIC ${PROJECT_BINARY_DIR}/generated)

  if(WIN32)
    tavrel_run_widl(${source} -p -H ${name}_widl.h -o ${output}/${name}_p.c)
    execute_process(COMMAND ${CMAKE_COMMAND} -DPROXY=${output}/${name}_p.c
      -P ${PROJECT_SOURCE_DIR}/cmake/idl_proxy_fix.cmake COMMAND_ERROR_IS_FATAL ANY)
    tavrel_run_widl(${source} -u -o ${output}/${name}_i.c)
    set(IDL_NAME ${name})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/idl_proxy.c.in ${output}/${name}_proxy.c @ONLY)
    # Generated code: its warnings are widl's business, not ours.
    set_source_files_properties(${output}/${name}_i.c ${output}/${name}_proxy.c
      PROPERTIES COMPILE_OPTIONS "-w")
    set_source_files_properties(${output}/${name}_p.c PROPERTIES HEADER_FILE_ONLY ON)
    target_sources(${target} PRIVATE ${output}/${name}_p.c ${output}/${name}_i.c
      ${output}/${name}_proxy.c)
    target_link_libraries(${target} PUBLIC rpcrt4)
  endif()
endfunction()
