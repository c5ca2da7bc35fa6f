# The Windows installer: packages/tavrel-<version>-x64.msi in the build tree, built by wixl
# (Debian's msitools) from packaging/windows/tavrel.wxs, which says what goes where.
#
# wixl takes its files from the folder it runs in: the programs (without their debugging
# information) and the settings and demo project are staged in msi-staging/ first.
find_program(TAVREL_WIXL wixl REQUIRED)

set(msi_staging ${PROJECT_BINARY_DIR}/msi-staging)
set(TAVREL_MSI ${PROJECT_BINARY_DIR}/packages/tavrel-${PROJECT_VERSION}-x64.msi)
set(msi_description ${PROJECT_SOURCE_DIR}/packaging/windows/tavrel.wxs)
set(msi_install_files
  ${PROJECT_SOURCE_DIR}/bridge/install/config.xml
  ${PROJECT_SOURCE_DIR}/bridge/install/opc_db.xml)
file(MAKE_DIRECTORY ${msi_staging} ${PROJECT_BINARY_DIR}/packages)
add_custom_command(OUTPUT ${TAVREL_MSI}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Tavrel> $<TARGET_FILE:Morvane>
    $<TARGET_FILE:tavrel-cli> ${msi_install_files} ${msi_staging}
  COMMAND ${CMAKE_STRIP} --strip-debug Tavrel.exe Morvane.exe tavrel-cli.exe
  COMMAND ${TAVREL_WIXL} -a x64 -D Version=${PROJECT_VERSION} -o ${TAVREL_MSI}
    ${msi_description}
  WORKING_DIRECTORY ${msi_staging}
  DEPENDS Tavrel Morvane tavrel-cli ${msi_description} ${msi_install_files}
  COMMENT "Building the installer tavrel-${PROJECT_VERSION}-x64.msi"
  VERBATIM)
add_custom_target(windows_installer ALL DEPENDS ${TAVREL_MSI})

if(TAVREL_BUILD_TESTS)
  # Installs, serves and uninstalls under Wine, with our Linux client (bridge/CMakeLists.txt).
  add_test(NAME windows_installer
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/in-namespaces
      ${PROJECT_SOURCE_DIR}/scripts/check-windows-installer ${TAVREL_MSI} ${TAVREL_LINUX_CLI})
  set_tests_properties(windows_installer PROPERTIES
    LABELS e2e RUN_SERIAL TRUE SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
