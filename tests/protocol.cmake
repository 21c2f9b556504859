vorn_add_gtest(test_protocol
  SOURCES
    test_protocol_framework.cpp
    test_protocol_dataphase.cpp
    test_protocol_commands.cpp
  LIBS blfwk GTest::gtest_main)
