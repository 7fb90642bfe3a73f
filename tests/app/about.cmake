# The about window and the splash at start. The about library is wired into
# the program by the app folder; until then the tests bring it in themselves.
if(NOT TARGET app_about)
  add_subdirectory(${PROJECT_SOURCE_DIR}/app/about ${CMAKE_BINARY_DIR}/app/about)
endif()

zvo_add_test(test_about
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_about.cpp
  LIBS app_about
  LABELS gui
  GUI)
