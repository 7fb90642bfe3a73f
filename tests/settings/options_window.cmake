# The options window driven through its controls on the offscreen platform.
zvo_add_test(test_options_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_options_window.cpp
  LIBS settings Qt6::Test
  LABELS gui
  GUI
  PROGRAM settings_gui_tests)
