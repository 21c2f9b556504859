# The updater application. Its units are compiled once and shared by the
# program for real controllers and the one built against the virtual
# controller; the engine sees hidapi's header only, and each program links
# either the system library or the virtual controller behind it.

include(translations/translations.cmake)
add_subdirectory(support)

# The window's pieces that need no GUI: the window and the console updater
# share them.
add_library(vorn_window_core STATIC
  window/embeddedfirmware.h window/embeddedfirmware.cpp
  window/firmwareversion.h window/firmwareversion.cpp
  window/logreading.h window/logreading.cpp
  window/privateimage.h window/privateimage.cpp)
target_include_directories(vorn_window_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vorn_window_core PUBLIC blfwk Qt5::Core)

# The console updater ("--cli"): Qt Core only, so it runs without a display.
add_library(vorn_console STATIC
  console/consent.h console/consent.cpp
  console/consoleoptions.h console/consoleoptions.cpp
  console/consolerun.h console/consolerun.cpp
  console/consoletexts.h
  console/controllerlog.h console/controllerlog.cpp
  console/controllersteps.h console/controllersteps.cpp
  console/controllerupdate.h console/controllerupdate.cpp
  console/discovery.h console/discovery.cpp
  console/enginerun.h console/enginerun.cpp
  console/exitcodes.h
  console/imagecheck.h console/imagecheck.cpp
  console/interruption.h console/interruption.cpp
  console/jsonevents.h console/jsonevents.cpp
  console/parallelupdate.h console/parallelupdate.cpp
  console/progressoutput.h console/progressoutput.cpp
  console/summary.h console/summary.cpp
  console/updateevent.h)
target_compile_definitions(vorn_console PRIVATE VORN_VERSION="${PROJECT_VERSION}")
target_link_libraries(vorn_console PUBLIC vorn_window_core vorn_support blfwk Qt5::Core)

add_library(vorn_app OBJECT
  mainwindow.h mainwindow.cpp mainwindow.ui
  window/accesshint.h window/accesshint.cpp
  window/accessibility.h window/accessibility.cpp
  window/commandline.h window/commandline.cpp
  window/devicereservation.h window/devicereservation.cpp
  window/localization.h window/localization.cpp
  window/noticebox.h window/noticebox.cpp
  window/pagewords.h window/pagewords.cpp
  window/quitsignals.h window/quitsignals.cpp
  window/singleinstance.h window/singleinstance.cpp
  window/updatetexts.h
  window/walkthrough.h window/walkthrough.cpp
  window/windowstyle.h window/windowstyle.cpp
  widgets/buttonkeys.h widgets/buttonkeys.cpp
  widgets/buttonword.h widgets/buttonword.cpp
  widgets/hoverpictures.h widgets/hoverpictures.cpp
  widgets/pictureaccessible.h widgets/pictureaccessible.cpp
  widgets/picturesource.h widgets/picturesource.cpp
  widgets/transparentstyle.h
  workerthread.h workerthread.cpp
  vornbutton.h vornbutton.cpp
  vornclosebutton.h vornclosebutton.cpp
  vornprogressbar.h vornprogressbar.cpp
  ${vorn_translation_sources})
set_target_properties(vorn_app PROPERTIES AUTOMOC ON AUTOUIC ON
  AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR})
target_include_directories(vorn_app PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vorn_app PUBLIC vorn_window_core blfwk vorn_support Qt5::Widgets Qt5::Network)
# The window's own version, for --version, its title's tooltip and the update log.
target_compile_definitions(vorn_app PUBLIC VORN_UPDATER_VERSION="${PROJECT_VERSION}")

# Both programs take "--cli": the update without the window (console/).
# Both programs take "--walkthrough DIR": a whole update without a user, for
# scripted use, with pictures of every page.
add_executable(kelvo-updater main.cpp)
target_link_libraries(kelvo-updater PRIVATE vorn_console vorn_app blfwk PkgConfig::HIDAPI vorn_resources Qt5::Widgets)
add_executable(kelvo-updater-sim main.cpp)
target_link_libraries(kelvo-updater-sim PRIVATE vorn_console vorn_app blfwk vornsim vorn_resources Qt5::Widgets)

# The tests run them as programs of their own: under the sanitizers they need
# the same leak suppressions for Qt's libraries as the test programs.
if(VORN_SANITIZE)
  target_sources(kelvo-updater PRIVATE tests/sanitizer_defaults.cpp)
  target_sources(kelvo-updater-sim PRIVATE tests/sanitizer_defaults.cpp)
endif()
