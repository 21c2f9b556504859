vorn_add_gtest(test_sim
  SOURCES
    packets.h sim_test_support.h sim_test_support.cpp
    test_sim_faultplan.cpp
    test_sim_controller.cpp
    test_sim_faults.cpp
    test_sim_socket.cpp
    test_sim_controllers.cpp
  LIBS vornsim GTest::gtest_main)
