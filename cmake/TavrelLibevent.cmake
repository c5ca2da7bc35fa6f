# libevent 2.1 as the target tavrel_libevent, with its HTTP layer and its thread locking.
#
# Linux: Debian's package (libevent-dev), found through pkg-config.
# Windows: Debian's source package (scripts/debian-source, which reads this machine's apt
# sources), built with the same cross toolchain as a static library in an external project
# under the build tree, once per build tree, without its warnings (they are its makers' to mend). Its locks are Windows' own
# (evthread_use_windows_threads); its sockets need Winsock and the IP helper.
include_guard(GLOBAL)

add_library(tavrel_libevent INTERFACE)
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBEVENT REQUIRED IMPORTED_TARGET libevent libevent_pthreads)
  target_link_libraries(tavrel_libevent INTERFACE PkgConfig::LIBEVENT)
  return()
endif()

include(ExternalProject)
set(libevent_prefix ${PROJECT_BINARY_DIR}/libevent-windows)
set(libevent_installed ${libevent_prefix}/installed)
set(libevent_libraries
  ${libevent_installed}/lib/libevent_extra.a
  ${libevent_installed}/lib/libevent_core.a)
ExternalProject_Add(libevent_windows
  PREFIX ${libevent_prefix}
  DOWNLOAD_COMMAND ${PROJECT_SOURCE_DIR}/scripts/debian-source libevent ${libevent_prefix}/debian
  SOURCE_DIR ${libevent_prefix}/debian/source
  CMAKE_ARGS
    -G Ninja
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_FLAGS=-w
    -DCMAKE_INSTALL_PREFIX=${libevent_installed}
    -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
    -DEVENT__LIBRARY_TYPE=STATIC
    -DEVENT__DISABLE_OPENSSL=ON
    -DEVENT__DISABLE_MBEDTLS=ON
    -DEVENT__DISABLE_TESTS=ON
    -DEVENT__DISABLE_REGRESS=ON
    -DEVENT__DISABLE_SAMPLES=ON
    -DEVENT__DISABLE_BENCHMARK=ON
  BUILD_BYPRODUCTS ${libevent_libraries}
  USES_TERMINAL_DOWNLOAD TRUE
  USES_TERMINAL_CONFIGURE TRUE
  USES_TERMINAL_BUILD TRUE)

# The headers appear when the external project is installed; the folder must exist before.
file(MAKE_DIRECTORY ${libevent_installed}/include)
target_include_directories(tavrel_libevent SYSTEM INTERFACE ${libevent_installed}/include)
target_link_libraries(tavrel_libevent INTERFACE ${libevent_libraries} ws2_32 iphlpapi)
add_dependencies(tavrel_libevent libevent_windows)
