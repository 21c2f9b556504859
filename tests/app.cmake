# The updater application: its log reading, its window against the virtual
# controller, its image file, and the unattended walkthrough program.
vorn_add_gtest(test_app
  SOURCES
    test_app_logreading.cpp test_app_window.cpp test_app_faults.cpp test_app_image.cpp test_app_access.cpp
    test_app_versions.cpp window_driver.h
    sim_test_support.h sim_test_support.cpp packets.h
    gui_test_main.cpp
  LIBS vorn_app blfwk vornsim vorn_resources Qt5::Widgets Qt5::Test)

vorn_add_gtest(test_app_walkthrough
  SOURCES test_app_walkthrough.cpp
  LIBS Qt5::Core GTest::gtest_main)
add_dependencies(test_app_walkthrough kelvo-updater-sim)
target_compile_definitions(test_app_walkthrough PRIVATE
  VORN_UPDATER_SIM="$<TARGET_FILE:kelvo-updater-sim>"
  VORN_FIRMWARE_DIR="${CMAKE_BINARY_DIR}/tools/resources/binaries")

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
