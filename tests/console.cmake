# The console updater: its pieces, and the program against the virtual
# controller with one controller and several.
vorn_add_gtest(test_console
  SOURCES test_console_units.cpp test_console_program.cpp sim_test_support.h sim_test_support.cpp packets.h
  LIBS vorn_console vornsim vorn_resources Qt5::Core GTest::gtest_main)
add_dependencies(test_console kelvo-updater-sim)
target_compile_definitions(test_console PRIVATE
  VORN_UPDATER_SIM="$<TARGET_FILE:kelvo-updater-sim>"
  VORN_FIRMWARE_DIR="${CMAKE_BINARY_DIR}/tools/resources/binaries")
