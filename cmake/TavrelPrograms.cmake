# The installation folder (TAVREL_PROGRAM_DIRECTORY): the three executables and the files they
# read beside them, ready to run as they lie. Tests that run the programs copy this folder to a
# temporary directory, because every program finds its files beside its own executable.
#
#   tavrel_add_program(<name> SOURCES <files...> LIBRARIES <libs...>)
#       an executable built into the installation folder
#   tavrel_install_file(<source file> <name in the folder>)
#       a file of the installation folder, copied whenever the source changes

function(tavrel_add_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TAVREL_PROGRAM_DIRECTORY})
  add_dependencies(program_directory ${name})
endfunction()

function(tavrel_install_file source name)
  set(target ${TAVREL_PROGRAM_DIRECTORY}/${name})
  add_custom_command(OUTPUT ${target}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${target}
    DEPENDS ${source}
    COMMENT "Installing ${name}")
  string(MAKE_C_IDENTIFIER "install_${name}" file_target)
  add_custom_target(${file_target} ALL DEPENDS ${target})
  add_dependencies(program_directory ${file_target})
endfunction()

# Everything of the installation folder; tests that run the programs depend on it.
add_custom_target(program_directory ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVREL_PROGRAM_DIRECTORY}/log
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVREL_PROGRAM_DIRECTORY}/servers)
