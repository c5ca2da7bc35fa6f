# Installation and the Debian package.
#
# `cmake --install` lays out the installation folder under CMAKE_INSTALL_PREFIX (/opt/tavrel
# by default): the programs (component `programs`) and the files they read and write beside
# them, config.xml, the demo opc_db.xml, log/ and servers/ (component `folder`). The folder
# runs where it lies.
#
# The package (cpack, scripts/package) takes the programs into /opt/tavrel and none of the
# folder's files: what the programs write lives under /var/lib/tavrel and /var/log/tavrel and
# the settings under /etc/tavrel, reached through links that the post-install script makes. The
# component `system` holds what only the package installs, at absolute paths: the settings
# file (a configuration file of the package), the demo project that the post-install script
# copies where none is, the service unit and the package's documents.
set(TAVREL_PACKAGING ${PROJECT_SOURCE_DIR}/packaging/debian)

install(TARGETS Tavrel Morvane Keldrin tavrel-cli RUNTIME DESTINATION . COMPONENT programs)
install(FILES ${PROJECT_SOURCE_DIR}/bridge/install/config.xml
              ${PROJECT_SOURCE_DIR}/bridge/install/opc_db.xml
        DESTINATION . COMPONENT folder)
install(DIRECTORY DESTINATION log COMPONENT folder)
install(DIRECTORY DESTINATION servers COMPONENT folder)

configure_file(${TAVREL_PACKAGING}/changelog ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/packaging/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)

install(FILES ${PROJECT_SOURCE_DIR}/bridge/install/config.xml
        DESTINATION /etc/tavrel COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/bridge/install/opc_db.xml
        DESTINATION /usr/share/tavrel COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${TAVREL_PACKAGING}/morvane.service
        DESTINATION /lib/systemd/system COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${TAVREL_PACKAGING}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
              ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION /usr/share/doc/tavrel COMPONENT system EXCLUDE_FROM_ALL)
# The README's pictures lie where its links point, beside it in docs/.
file(GLOB TAVREL_DOC_PICTURES ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${PROJECT_SOURCE_DIR}/docs/integration.md ${PROJECT_SOURCE_DIR}/docs/api.md
              ${PROJECT_SOURCE_DIR}/docs/development.md ${TAVREL_DOC_PICTURES}
        DESTINATION /usr/share/doc/tavrel/docs COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${TAVREL_PACKAGING}/lintian-overrides RENAME tavrel
        DESTINATION /usr/share/lintian/overrides COMPONENT system EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tavrel maintainers <maintainers@tavrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "OPC DA bridge with a TCP API, its manager and configuration maker")
set(CPACK_PACKAGE_DESCRIPTION "Tavrel connects to OPC Data Access servers, keeps the live value of every
tag and serves values, configuration and writes over a TCP API. Morvane
keeps it running as the service morvane.service and offers an HTTP
configuration interface; Keldrin builds the project file. The programs live
in /opt/tavrel, the project in /var/lib/tavrel, the logs in /var/log/tavrel
and the settings in /etc/tavrel.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "passwd")
# The windows' texts are Chinese: without a CJK font they show as empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${TAVREL_PACKAGING}/postinst ${TAVREL_PACKAGING}/prerm ${TAVREL_PACKAGING}/postrm
  ${TAVREL_PACKAGING}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/tavrel)
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${PROJECT_BINARY_DIR};Tavrel;programs;/"
  "${PROJECT_BINARY_DIR};Tavrel;system;/")
include(CPack)

# The package, built from this build directory and checked without installing it.
if(TAVREL_BUILD_TESTS)
  add_test(NAME debian_package COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-package ${PROJECT_BINARY_DIR})
  set_tests_properties(debian_package PROPERTIES LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
