vorn_add_gtest(test_options
  SOURCES test_options.cpp
  LIBS blfwk GTest::gtest_main)
