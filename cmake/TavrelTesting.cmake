# One helper registers every test executable with CTest.
#
#   tavrel_add_tests(<target> LABEL <unit|e2e|gui> SOURCES <files...> [LIBRARIES <libs...>])
#
# Builds a GoogleTest executable from SOURCES and registers each of its tests under LABEL.
# Tests labelled e2e start the real programs, whose single-instance lock is machine-wide, so
# they never run in parallel with each other. Tests labelled gui draw their widgets on Qt's
# offscreen platform.
if(TAVREL_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(tavrel_add_tests target)
  if(NOT TAVREL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBRARIES" ${ARGN})
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
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${properties})
endfunction()
