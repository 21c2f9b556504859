# The production programs through the system's hidapi, against the virtual
# controller behind an emulated hidraw node.
vorn_add_gtest(test_hidraw
  SOURCES test_hidraw.cpp packets.h sim_test_support.h sim_test_support.cpp
  LIBS vornsim Qt5::Core GTest::gtest_main)
add_dependencies(test_hidraw vornsim-hidraw rivuvo rivuvo-sim kelvo-updater)
target_compile_definitions(test_hidraw PRIVATE
  VORNSIM_HIDRAW="$<TARGET_FILE:vornsim-hidraw>"
  RIVUVO="$<TARGET_FILE:rivuvo>"
  RIVUVO_SIM="$<TARGET_FILE:rivuvo-sim>"
  KELVO_UPDATER="$<TARGET_FILE:kelvo-updater>"
  VORN_FIRMWARE_DIR="${CMAKE_BINARY_DIR}/tools/resources/binaries")
