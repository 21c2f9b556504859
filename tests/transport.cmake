# Scripted hidapi for the target-connection tests; linked in place of the
# real library.
add_library(fake_hidapi STATIC fake_hidapi.cpp fake_hidapi.h)
target_include_directories(fake_hidapi PUBLIC
  ${CMAKE_CURRENT_SOURCE_DIR}
  $<TARGET_PROPERTY:PkgConfig::HIDAPI,INTERFACE_INCLUDE_DIRECTORIES>)

vorn_add_gtest(test_transport
  SOURCES
    log_capture.h packets.h
    test_transport_peripheral.cpp
    test_transport_packetizer.cpp
    test_transport_session.cpp
    test_transport_buspal.cpp
  LIBS blfwk fake_hidapi GTest::gtest_main)
