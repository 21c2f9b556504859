# The engine driver end to end, against the virtual controller.
vorn_add_gtest(test_rivuvo
  SOURCES
    rivuvo_run.h
    packets.h sim_test_support.h sim_test_support.cpp
    test_rivuvo_commands.cpp
    test_rivuvo_failures.cpp
    test_rivuvo_access.cpp
    test_rivuvo_help.cpp
  LIBS blfwk vornsim GTest::gtest_main)
target_compile_definitions(test_rivuvo PRIVATE RIVUVO_SIM_PATH="$<TARGET_FILE:rivuvo-sim>")
add_dependencies(test_rivuvo rivuvo-sim)

# One writer per controller: the device lock between processes and users.
vorn_add_gtest(test_devicelock
  SOURCES test_devicelock.cpp sim_test_support.h sim_test_support.cpp
  LIBS blfwk vornsim GTest::gtest_main)
