# One helper registers every test executable with CTest.
#
#   tavrel_add_tests(<target> LABEL <unit|e2e|gui> SOURCES <files...> [LIBRARIES <libs...>]
#                    [WINDOWS_DIFFERENCES <Suite.Test...>] [OUT_OF_PROCESS | OUT_OF_PROCESS_ONLY]
#                    [OUT_OF_PROCESS_DIFFERENCES <Suite.Test...>]
#                    [USER_CLASS_DIFFERENCES <Suite.Test...>])
#
# Builds a GoogleTest executable from SOURCES and registers each of its tests under LABEL.
# WINDOWS_DIFFERENCES names tests of our stand-in's behaviour where the system's own runtime
# answers otherwise (the caller states each difference beside the name): the Windows build runs
# every test but these. OUT_OF_PROCESS: the Windows build runs the executable a second time
# (<target>_out_of_process) with TAVREL_SIMULATED_SERVERS=out-of-process, for tests whose
# simulated servers then run in opcsim_server (platform/opcsim), as a real server would;
# OUT_OF_PROCESS_ONLY runs it that way only. OUT_OF_PROCESS_DIFFERENCES names tests that run in
# process only (the caller states why beside each name). USER_CLASS_DIFFERENCES names tests that
# need the current user's classes in HKEY_CLASSES_ROOT, as Windows shows them: Wine shows the
# machine's classes only, and only the out-of-process run's prefix has the user's classes copied
# there (cmake/TavrelWindows.cmake), so these run out of process only.
# Tests labelled e2e start the real programs, whose single-instance lock is machine-wide, so
# they never run in parallel with each other. Tests labelled gui draw their widgets on Qt's
# offscreen platform.
if(TAVREL_BUILD_TESTS)
  enable_testing()
  if(CMAKE_CROSSCOMPILING)
    # GoogleTest for the target, built from the sources Debian's googletest package installs
    # (its targets are named GTest::gtest, GTest::gmock and GTest::gtest_main there too).
    set(TAVREL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for a cross build")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TAVREL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endif()

function(tavrel_add_tests target)
  if(NOT TAVREL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "OUT_OF_PROCESS;OUT_OF_PROCESS_ONLY" "LABEL"
    "SOURCES;LIBRARIES;WINDOWS_DIFFERENCES;OUT_OF_PROCESS_DIFFERENCES;USER_CLASS_DIFFERENCES"
    ${ARGN})
  if(NOT ARG_LABEL MATCHES "^(unit|e2e|gui)$")
    message(FATAL_ERROR "tavrel_add_tests(${target}): LABEL must be unit, e2e or gui")
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gmock GTest::gtest GTest::gtest_main)
  set(properties LABELS ${ARG_LABEL})
  if(ARG_LABEL STREQUAL "e2e")
    list(APPEND properties RUN_SERIAL TRUE)
  elseif(ARG_LABEL STREQUAL "gui")
    list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator a process costs far more than a test case: one test per executable.
    # Each runs in seconds; the bound only keeps a hung run from holding the whole test run.
    set(timeout 300)
    set(arguments)
    set(excluded ${ARG_WINDOWS_DIFFERENCES} ${ARG_USER_CLASS_DIFFERENCES})
    if(WIN32 AND excluded)
      list(JOIN excluded ":" excluded)
      set(arguments --gtest_filter=-${excluded})
    endif()
    if(NOT ARG_OUT_OF_PROCESS_ONLY)
      add_test(NAME ${target} COMMAND ${target} ${arguments}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
      set_tests_properties(${target} PROPERTIES ${properties} TIMEOUT ${timeout})
    endif()
    if(WIN32 AND (ARG_OUT_OF_PROCESS OR ARG_OUT_OF_PROCESS_ONLY))
      # One server process serves every client: its devices are shared by these runs.
      set(name ${target}_out_of_process)
      if(ARG_OUT_OF_PROCESS_ONLY)
        set(name ${target})
      endif()
      set(excluded ${ARG_WINDOWS_DIFFERENCES} ${ARG_OUT_OF_PROCESS_DIFFERENCES})
      set(outOfProcessArguments)
      if(excluded)
        list(JOIN excluded ":" excluded)
        set(outOfProcessArguments --gtest_filter=-${excluded})
      endif()
      add_test(NAME ${name}
        COMMAND ${TAVREL_LOCAL_SERVER_RUN} $<TARGET_FILE:${target}> ${outOfProcessArguments}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
      set_tests_properties(${name} PROPERTIES ${properties} TIMEOUT ${timeout}
        ENVIRONMENT TAVREL_SIMULATED_SERVERS=out-of-process
        FIXTURES_REQUIRED opcsim_local_server RESOURCE_LOCK opcsim_server)
    endif()
  else()
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      PROPERTIES ${properties})
  endif()
endfunction()
