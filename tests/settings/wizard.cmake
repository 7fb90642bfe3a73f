# The first-start wizard driven through its buttons and fields on the
# offscreen platform.
zvo_add_test(test_wizard
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_wizard.cpp
  LIBS settings Qt6::Test
  LABELS gui
  GUI
  PROGRAM settings_gui_tests)
