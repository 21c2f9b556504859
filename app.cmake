# The updater application. Its units are compiled once and shared by the
# program for real controllers and the one built against the virtual
# controller; the engine sees hidapi's header only, and each program links
# either the system library or the virtual controller behind it.

add_library(vorn_app OBJECT
  mainwindow.h mainwindow.cpp mainwindow.ui
  privateimage.h privateimage.cpp
  walkthrough.h walkthrough.cpp
  workerthread.h workerthread.cpp
  vornbutton.h vornbutton.cpp
  vornclosebutton.h vornclosebutton.cpp
  vornprogressbar.h vornprogressbar.cpp)
set_target_properties(vorn_app PROPERTIES AUTOMOC ON AUTOUIC ON)
# The generated form header is needed by whoever reaches into the window's form.
target_include_directories(vorn_app PUBLIC
  ${CMAKE_SOURCE_DIR}
  ${CMAKE_CURRENT_BINARY_DIR}/vorn_app_autogen/include)
target_link_libraries(vorn_app PUBLIC blfwk Qt5::Widgets)

# Both programs take "--walkthrough DIR": a whole update without a user, for
# scripted use, with pictures of every page.
add_executable(kelvo-updater main.cpp)
target_link_libraries(kelvo-updater PRIVATE vorn_app blfwk PkgConfig::HIDAPI vorn_resources Qt5::Widgets)
set(vorn_updaters kelvo-updater)

if(TARGET vornsim)
  add_executable(kelvo-updater-sim main.cpp)
  target_link_libraries(kelvo-updater-sim PRIVATE vorn_app blfwk vornsim vorn_resources Qt5::Widgets)
  list(APPEND vorn_updaters kelvo-updater-sim)
endif()

# The tests run them as programs of their own: under the sanitizers they need
# the same leak suppressions for Qt's libraries as the test programs.
if(VORN_SANITIZE AND EXISTS ${CMAKE_SOURCE_DIR}/tests/sanitizer_defaults.cpp)
  foreach(updater ${vorn_updaters})
    target_sources(${updater} PRIVATE tests/sanitizer_defaults.cpp)
  endforeach()
endif()
