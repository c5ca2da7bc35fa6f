# The Windows installer: packages/tavrel-<version>-x64.msi in the build tree, built by wixl
# (Debian's msitools) from packaging/windows/tavrel.wxs, which says what goes where.
#
# wixl takes its files from the folder it runs in: the programs (without their debugging
# information) and the settings and demo project are staged in msi-staging/ first. wixl has no
# attributes for permanent and never-overwrite components, so msibuild sets them in the built
# package's Component table for the settings and the project (tavrel.wxs says why).
find_program(TAVREL_WIXL wixl REQUIRED)
find_program(TAVREL_MSIBUILD msibuild REQUIRED)

set(msi_staging ${PROJECT_BINARY_DIR}/msi-staging)
set(msi_description ${PROJECT_SOURCE_DIR}/packaging/windows/tavrel.wxs)
set(msi_install_files
  ${PROJECT_SOURCE_DIR}/bridge/install/config.xml
  ${PROJECT_SOURCE_DIR}/bridge/install/opc_db.xml)
# msidbComponentAttributes64bit | Permanent | NeverOverwrite
set(msi_kept_component_attributes 400)
file(MAKE_DIRECTORY ${msi_staging} ${PROJECT_BINARY_DIR}/packages)

add_custom_command(OUTPUT ${msi_staging}/Tavrel.exe ${msi_staging}/Morvane.exe
    ${msi_staging}/tavrel-cli.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Tavrel> $<TARGET_FILE:Morvane>
    $<TARGET_FILE:tavrel-cli> ${msi_install_files} ${msi_staging}
  COMMAND ${CMAKE_STRIP} --strip-debug Tavrel.exe Morvane.exe tavrel-cli.exe
  WORKING_DIRECTORY ${msi_staging}
  DEPENDS Tavrel Morvane tavrel-cli ${msi_install_files}
  COMMENT "Staging the installer's files"
  VERBATIM)

# The installer of the staged files as version `version`, written to `output`.
function(tavrel_add_msi output version)
  get_filename_component(name ${output} NAME)
  add_custom_command(OUTPUT ${output}
    COMMAND ${TAVREL_WIXL} -a x64 -D Version=${version} -o ${output} ${msi_description}
    COMMAND ${TAVREL_MSIBUILD} ${output} -q
      "UPDATE `Component` SET `Attributes` = ${msi_kept_component_attributes} WHERE `Component` = 'Settings' OR `Component` = 'Project'"
    WORKING_DIRECTORY ${msi_staging}
    DEPENDS ${msi_staging}/Tavrel.exe ${msi_staging}/Morvane.exe ${msi_staging}/tavrel-cli.exe
      ${msi_description}
    COMMENT "Building the installer ${name}"
    VERBATIM)
endfunction()

set(TAVREL_MSI ${PROJECT_BINARY_DIR}/packages/tavrel-${PROJECT_VERSION}-x64.msi)
tavrel_add_msi(${TAVREL_MSI} ${PROJECT_VERSION})
add_custom_target(windows_installer ALL DEPENDS ${TAVREL_MSI})

if(TAVREL_BUILD_TESTS)
  # The same files as the next version, for the test's upgrade.
  math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
  set(next_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch})
  set(upgrade_msi ${PROJECT_BINARY_DIR}/packages/test/tavrel-${next_version}-x64.msi)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packages/test)
  tavrel_add_msi(${upgrade_msi} ${next_version})
  add_custom_target(windows_installer_upgrade ALL DEPENDS ${upgrade_msi})

  # Installs, upgrades, serves and uninstalls under Wine, with our Linux client
  # (bridge/CMakeLists.txt).
  add_test(NAME windows_installer
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/in-namespaces
      ${PROJECT_SOURCE_DIR}/scripts/check-windows-installer ${TAVREL_MSI} ${upgrade_msi}
      ${TAVREL_LINUX_CLI})
  set_tests_properties(windows_installer PROPERTIES
    LABELS e2e RUN_SERIAL TRUE SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
