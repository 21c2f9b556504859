# The Debian package, through CPack's DEB generator (scripts/package runs it).

set(VORN_MAINTAINER "VORN <support@vorn.invalid>" CACHE STRING "Maintainer field of the Debian package")

# Debian keeps the changelog of a native package next to the copyright file.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND sh -c "${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz"
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  VERBATIM)
add_custom_target(vorn_debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvo-updater
  COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvo-updater)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VORN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for the VORN Kelvo Pro Wired controller")
set(CPACK_PACKAGE_DESCRIPTION
  "Kelvo Updater brings the firmware of a wired VORN Kelvo Pro Wired game
controller up to date: with the controller in update mode it shows the
firmware version in the controller, offers the version it carries, and
erases, writes and restarts the controller on one click.

The package also holds rivuvo, the console tool that speaks the
controller's bootloader protocol, and a udev rule that lets the user at
the seat open the controller in update mode without root.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (message box buttons) in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qttranslations5-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The default install plus the Debian-only files.
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
  "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
include(CPack)
