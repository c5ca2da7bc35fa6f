# libdeflate as the target tavrel_libdeflate: the API's body compression (zlib streams).
#
# Linux: Debian's package (libdeflate-dev), found through pkg-config.
# Windows: Debian's source package (scripts/debian-source, which reads this machine's apt
# sources), built with its own Makefile and the cross compiler as a static library in an
# external project under the build tree, once per build tree, without its warnings (they are
# its makers' to mend).
include_guard(GLOBAL)

add_library(tavrel_libdeflate INTERFACE)
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
  target_link_libraries(tavrel_libdeflate INTERFACE PkgConfig::LIBDEFLATE)
  return()
endif()

include(ExternalProject)
set(libdeflate_prefix ${PROJECT_BINARY_DIR}/libdeflate-windows)
set(libdeflate_source ${libdeflate_prefix}/debian/source)
# The Makefile names the static library of a MinGW target so; it is an ordinary archive.
set(libdeflate_library ${libdeflate_source}/libdeflatestatic.lib)
ExternalProject_Add(libdeflate_windows
  PREFIX ${libdeflate_prefix}
  DOWNLOAD_COMMAND ${PROJECT_SOURCE_DIR}/scripts/debian-source libdeflate ${libdeflate_prefix}/debian
  SOURCE_DIR ${libdeflate_source}
  BUILD_IN_SOURCE TRUE
  CONFIGURE_COMMAND ""
  BUILD_COMMAND make -j2 CC=${CMAKE_C_COMPILER} AR=${CMAKE_AR} "CFLAGS=-O2 -w" libdeflatestatic.lib
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${libdeflate_library}
  USES_TERMINAL_DOWNLOAD TRUE
  USES_TERMINAL_BUILD TRUE)

target_include_directories(tavrel_libdeflate SYSTEM INTERFACE ${libdeflate_source})
target_link_libraries(tavrel_libdeflate INTERFACE ${libdeflate_library})
add_dependencies(tavrel_libdeflate libdeflate_windows)
