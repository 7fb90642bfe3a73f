# The main window: engine table, query URLs, colour scale and legend as plain
# rules, and the window itself on the offscreen platform.
zvo_add_test(test_mainwindow_rules
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mainwindow_rules.cpp
  LIBS app_core
  LABELS unit
  PROGRAM app_tests)

zvo_add_test(test_mainwindow_gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mainwindow_gui.cpp ${CMAKE_CURRENT_LIST_DIR}/test_startup_files.cpp
  LIBS app_core Qt6::Test
  LABELS gui
  GUI
  COST 7
  PROGRAM app_gui_tests)
zvo_test_target(test_mainwindow_gui _program)
add_dependencies(${_program} program_data)

# The real program under a window manager on a display of its own.
zvo_add_test(test_mainwindow_x11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mainwindow_x11.cpp
  LIBS Qt6::Core
  LABELS gui slow
  GUI
  COST 13
  PROGRAM app_gui_tests)
zvo_test_target(test_mainwindow_x11 _program)
add_dependencies(${_program} zarvello program_data)
