# The window's translations: lrelease turns each committed .ts file into a .qm
# file that is built into the program under :/translations. After texts change
# in the sources, `cmake --build build --target update-translations` brings the
# .ts files up to date; fill in the new entries and commit them.
find_package(Qt5 5.15 REQUIRED COMPONENTS LinguistTools)

set(VORN_TRANSLATIONS de es)
set(VORN_TS_FILES)
foreach(language ${VORN_TRANSLATIONS})
  list(APPEND VORN_TS_FILES ${CMAKE_CURRENT_LIST_DIR}/kelvo-updater_${language}.ts)
endforeach()
set(vorn_qm_dir ${CMAKE_BINARY_DIR}/translations)
set_source_files_properties(${VORN_TS_FILES} PROPERTIES OUTPUT_LOCATION ${vorn_qm_dir})
qt5_add_translation(vorn_qm_files ${VORN_TS_FILES})

set(vorn_translations_qrc "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n    <qresource prefix=\"/translations\">\n")
foreach(language ${VORN_TRANSLATIONS})
  string(APPEND vorn_translations_qrc "        <file>kelvo-updater_${language}.qm</file>\n")
endforeach()
string(APPEND vorn_translations_qrc "    </qresource>\n</RCC>\n")
file(CONFIGURE OUTPUT ${vorn_qm_dir}/translations.qrc CONTENT "${vorn_translations_qrc}")
qt5_add_resources(vorn_translation_sources ${vorn_qm_dir}/translations.qrc)

add_custom_target(update-translations
  COMMAND ${CMAKE_COMMAND} -E env LUPDATE=$<TARGET_FILE:Qt5::lupdate> ${CMAKE_SOURCE_DIR}/scripts/update-translations
  COMMENT "Updating translations/*.ts from the sources"
  VERBATIM)
