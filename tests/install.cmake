# What `cmake --install` puts on a system: the file list, and the desktop
# entry, metainfo and manual pages checked by their own validators.
add_test(NAME Install.PutsTheProgramsRuleDesktopEntryIconsMetainfoAndManualPagesInPlace
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_install.sh tree ${CMAKE_BINARY_DIR})
set_tests_properties(Install.PutsTheProgramsRuleDesktopEntryIconsMetainfoAndManualPagesInPlace
  PROPERTIES TIMEOUT 120)
