# The help router and the application's help commands.
zvo_add_test(test_helprouter
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_helprouter.cpp
  LIBS app_help
  LABELS gui
  GUI
  PROGRAM app_gui_tests)
