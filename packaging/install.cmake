# Install rules for the programs for real controllers and what a desktop
# needs around them. The -sim programs, tests, benchmarks and build tools are
# never installed.

include(GNUInstallDirs)

# One id names the desktop entry, the metainfo, the icon and the window.
set(VORN_APP_ID com.vorn.KelvoUpdater)
# udev reads /usr/lib/udev/rules.d and /etc/udev/rules.d only; with another
# prefix the rule has to be copied to /etc/udev/rules.d by hand.
set(VORN_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
  "udev rules directory, relative to the install prefix")
set(VORN_ICON_SIZES 16 24 32 48 64 128 256)

foreach(program kelvo-updater kelvo-updater-sim)
  if(TARGET ${program})
    target_compile_definitions(${program} PRIVATE VORN_APP_ID="${VORN_APP_ID}")
  endif()
endforeach()

set(packaging_dir ${CMAKE_CURRENT_LIST_DIR})
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)

# The theme's PNG sizes, from the pictures of the window's icon file, so that
# dropping in the real icon changes the desktop's icon too.
add_executable(mkicons tools/mkicons.cpp)
target_link_libraries(mkicons PRIVATE Qt5::Gui)
set(icon_files)
foreach(size ${VORN_ICON_SIZES})
  list(APPEND icon_files ${packaging_out}/icons/${size}x${size}/apps/${VORN_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:mkicons> ${CMAKE_SOURCE_DIR}/icon/icon.ico ${packaging_out}/icons ${VORN_APP_ID}
          ${VORN_ICON_SIZES}
  DEPENDS mkicons ${CMAKE_SOURCE_DIR}/icon/icon.ico
  COMMENT "Writing the desktop icons"
  VERBATIM)

# Manual pages are installed compressed, as Debian's policy asks.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(manual_pages)
foreach(page rivuvo.1 kelvo-updater.1)
  add_custom_command(OUTPUT ${packaging_out}/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
    COMMAND sh -c "${GZIP_PROGRAM} -9n -c ${packaging_dir}/${page} > ${packaging_out}/${page}.gz"
    DEPENDS ${packaging_dir}/${page}
    VERBATIM)
  list(APPEND manual_pages ${packaging_out}/${page}.gz)
endforeach()

add_custom_target(vorn_install_files ALL DEPENDS ${icon_files} ${manual_pages})

install(TARGETS kelvo-updater rivuvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging_dir}/60-kelvo-updater.rules DESTINATION ${VORN_UDEV_RULES_DIR})
install(FILES ${packaging_dir}/${VORN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_dir}/${VORN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${packaging_out}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${packaging_dir}/${VORN_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The fonts built into the window travel under their own licence.
install(FILES ${packaging_dir}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvo-updater)
