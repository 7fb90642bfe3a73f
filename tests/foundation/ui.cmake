zvo_add_test(test_foundation_ui
  SOURCES test_ui_placement.cpp test_ui_messages.cpp test_ui_lists.cpp
  LIBS foundation GUI LABELS gui
  PROGRAM foundation_gui_tests)
