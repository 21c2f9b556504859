# The updater application: its log reading, its window against the virtual
# controller, its image file, and the unattended walkthrough program.
vorn_add_gtest(test_app
  SOURCES
    test_app_logreading.cpp test_app_window.cpp test_app_faults.cpp test_app_image.cpp test_app_onewriter.cpp
    test_app_updatelog.cpp test_app_access.cpp test_app_versions.cpp window_driver.h lock_holder.h
    sim_test_support.h sim_test_support.cpp packets.h
    gui_test_main.cpp
  LIBS vorn_app blfwk vornsim vorn_resources Qt5::Widgets Qt5::Test)

vorn_add_gtest(test_app_walkthrough
  SOURCES test_app_walkthrough.cpp test_app_lifecycle.cpp test_app_commandline.cpp
  LIBS Qt5::Core GTest::gtest_main)
add_dependencies(test_app_walkthrough kelvo-updater kelvo-updater-sim)
target_compile_definitions(test_app_walkthrough PRIVATE
  VORN_UPDATER="$<TARGET_FILE:kelvo-updater>"
  VORN_UPDATER_SIM="$<TARGET_FILE:kelvo-updater-sim>"
  VORN_UPDATER_VERSION="${PROJECT_VERSION}"
  VORN_FIRMWARE_DIR="${CMAKE_BINARY_DIR}/tools/resources/binaries")

# The window in every language: the translation files are complete, and each
# text fits its label with glyphs its font has. The labels are measured on a
# real X server of a common screen size, as the window sizes itself by the screen.
add_executable(test_translations test_translations.cpp gui_test_main.cpp sanitizer_defaults.cpp)
target_link_libraries(test_translations PRIVATE vorn_app blfwk vornsim vorn_resources Qt5::Widgets
  GTest::gtest)
target_compile_definitions(test_translations PRIVATE
  VORN_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VORN_LUPDATE="$<TARGET_FILE:Qt5::lupdate>")
add_test(NAME TranslationFiles COMMAND test_translations --gtest_filter=TranslationFiles.*)
set_tests_properties(TranslationFiles PROPERTIES TIMEOUT 120 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
foreach(screen 1920x1080 1366x768)
  string(REGEX REPLACE ".*x" "" screen_height ${screen})
  add_test(NAME TranslatedWindow.${screen}
    COMMAND xvfb-run -a -s "-screen 0 ${screen}x24" $<TARGET_FILE:test_translations> --gtest_filter=Languages/TranslatedWindow.*)
  set_tests_properties(TranslatedWindow.${screen} PROPERTIES TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;VORN_SCREEN_HEIGHT=${screen_height};VORN_SIM_VARIANT=none;XDG_STATE_HOME=${CMAKE_CURRENT_BINARY_DIR}/state")
endforeach()

vorn_add_gtest(test_app_density
  SOURCES test_app_density.cpp
  LIBS Qt5::Gui GTest::gtest_main)
add_dependencies(test_app_density kelvo-updater-sim)
target_compile_definitions(test_app_density PRIVATE VORN_UPDATER_SIM="$<TARGET_FILE:kelvo-updater-sim>")

# The keyboard alone through a whole update of the real window, on an X
# server the script starts itself.
add_test(NAME Keyboard.AloneTakesTheRealWindowFromTheOfferPageThroughTheUpdateToClose
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/keyboard_update.sh $<TARGET_FILE:kelvo-updater-sim>
          ${CMAKE_BINARY_DIR}/tools/resources/binaries/vorn_tarsel_v_0.5.20_black.bin)
set_tests_properties(Keyboard.AloneTakesTheRealWindowFromTheOfferPageThroughTheUpdateToClose PROPERTIES TIMEOUT 180)

# A screen reader's view over a real AT-SPI bus that the script brings up.
add_test(NAME ScreenReader.ReadsTheRealWindowAndUpdatesThroughItOverAnAtSpiBus
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/atspi_update.sh $<TARGET_FILE:kelvo-updater-sim>)
set_tests_properties(ScreenReader.ReadsTheRealWindowAndUpdatesThroughItOverAnAtSpiBus PROPERTIES TIMEOUT 180)
