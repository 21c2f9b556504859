# The updater application. Its units are compiled once and shared by the
# program for real controllers and the one built against the virtual
# controller; the engine sees hidapi's header only, and each program links
# either the system library or the virtual controller behind it.

add_library(vorn_app OBJECT
  mainwindow.h mainwindow.cpp mainwindow.ui
  window/accesshint.h window/accesshint.cpp
  window/accessibility.h window/accessibility.cpp
  window/embeddedfirmware.h window/embeddedfirmware.cpp
  window/firmwareversion.h window/firmwareversion.cpp
  window/logreading.h window/logreading.cpp
  window/noticebox.h window/noticebox.cpp
  window/pagewords.h window/pagewords.cpp
  window/privateimage.h window/privateimage.cpp
  window/updatetexts.h
  window/walkthrough.h window/walkthrough.cpp
  window/windowstyle.h window/windowstyle.cpp
  widgets/buttonkeys.h widgets/buttonkeys.cpp
  widgets/hoverpictures.h widgets/hoverpictures.cpp
  widgets/pictureaccessible.h widgets/pictureaccessible.cpp
  widgets/picturesource.h widgets/picturesource.cpp
  widgets/transparentstyle.h
  workerthread.h workerthread.cpp
  vornbutton.h vornbutton.cpp
  vornclosebutton.h vornclosebutton.cpp
  vornprogressbar.h vornprogressbar.cpp)
set_target_properties(vorn_app PROPERTIES AUTOMOC ON AUTOUIC ON
  AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR})
target_include_directories(vorn_app PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vorn_app PUBLIC blfwk Qt5::Widgets)

# Both programs take "--walkthrough DIR": a whole update without a user, for
# scripted use, with pictures of every page.
add_executable(kelvo-updater main.cpp)
target_link_libraries(kelvo-updater PRIVATE vorn_app blfwk PkgConfig::HIDAPI vorn_resources Qt5::Widgets)
add_executable(kelvo-updater-sim main.cpp)
target_link_libraries(kelvo-updater-sim PRIVATE vorn_app blfwk vornsim vorn_resources Qt5::Widgets)

# The tests run them as programs of their own: under the sanitizers they need
# the same leak suppressions for Qt's libraries as the test programs.
if(VORN_SANITIZE)
  target_sources(kelvo-updater PRIVATE tests/sanitizer_defaults.cpp)
  target_sources(kelvo-updater-sim PRIVATE tests/sanitizer_defaults.cpp)
endif()
