vorn_add_gtest(test_resources
  SOURCES test_resources.cpp gui_test_main.cpp
  LIBS vorn_resources Qt5::Gui Qt5::Widgets)
target_include_directories(test_resources PRIVATE ${CMAKE_SOURCE_DIR})

vorn_add_gtest(test_widgets
  SOURCES
    test_widgets.cpp
    gui_test_main.cpp
    ${CMAKE_SOURCE_DIR}/hoverpictures.h
    ${CMAKE_SOURCE_DIR}/hoverpictures.cpp
    ${CMAKE_SOURCE_DIR}/transparentstyle.h
    ${CMAKE_SOURCE_DIR}/vornbutton.h
    ${CMAKE_SOURCE_DIR}/vornbutton.cpp
    ${CMAKE_SOURCE_DIR}/vornclosebutton.h
    ${CMAKE_SOURCE_DIR}/vornclosebutton.cpp
    ${CMAKE_SOURCE_DIR}/vornprogressbar.h
    ${CMAKE_SOURCE_DIR}/vornprogressbar.cpp
  LIBS vorn_resources Qt5::Widgets Qt5::Test)
set_target_properties(test_widgets PROPERTIES AUTOMOC ON)
target_include_directories(test_widgets PRIVATE ${CMAKE_SOURCE_DIR})
