vorn_add_gtest(test_resources
  SOURCES test_resources.cpp gui_test_main.cpp
  LIBS vorn_resources Qt5::Gui Qt5::Widgets)

vorn_add_gtest(test_widgets
  SOURCES
    test_widgets.cpp
    gui_test_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../vornbutton.h
    ${CMAKE_CURRENT_LIST_DIR}/../vornbutton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../vornclosebutton.h
    ${CMAKE_CURRENT_LIST_DIR}/../vornclosebutton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../vornprogressbar.h
    ${CMAKE_CURRENT_LIST_DIR}/../vornprogressbar.cpp
  LIBS vorn_resources Qt5::Widgets Qt5::Test)
set_target_properties(test_widgets PROPERTIES AUTOMOC ON)
target_include_directories(test_widgets PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
