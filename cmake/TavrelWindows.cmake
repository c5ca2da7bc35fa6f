# The Windows build (cmake/mingw-w64-x86_64.cmake): Windows' headers without their rarely used
# parts and without the min/max macros that break the standard library, the Windows 7 API
# level, POSIX's thread-safe time calls (localtime_r, which mingw-w64 maps onto the C runtime's
# own), and test programs run under wine64, one Wine prefix per build tree.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601
  _POSIX_THREAD_SAFE_FUNCTIONS=200112L)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${PROJECT_SOURCE_DIR}/scripts/wine-run --prefix ${PROJECT_BINARY_DIR}/wine-prefix)
# The tests whose simulated servers run out of process (opcsim_server, platform/opcsim) have a
# prefix of their own: Wine's COM reads classes from the machine's keys only (Windows shows the
# current user's there too), so that prefix gets the server's keys copied to its machine's
# classes, which the other tests show our code never writes.
set(TAVREL_LOCAL_SERVER_RUN
    ${PROJECT_SOURCE_DIR}/scripts/wine-run --prefix ${PROJECT_BINARY_DIR}/wine-prefix-local-server)
