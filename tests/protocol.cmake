vorn_add_gtest(test_protocol
  SOURCES
    fake_packetizer.h packets.h
    log_capture.h
    test_protocol_framework.cpp
    test_protocol_dataphase.cpp
    test_protocol_commands.cpp
  LIBS blfwk GTest::gtest_main)
