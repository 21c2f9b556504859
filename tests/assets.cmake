# The embedded resources and the widgets that show them.
vorn_add_gtest(test_resources
  SOURCES test_resources.cpp gui_test_main.cpp
  LIBS vorn_app blfwk vornsim vorn_resources Qt5::Widgets Qt5::Test)
