# The about window and the splash at start.
zvo_add_test(test_about
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_about.cpp
  LIBS app_about
  LABELS gui
  GUI
  PROGRAM app_gui_tests)
