# The main window's commands and the windows it opens. A first start checks
# every row against a search engine on loopback, and a query given up there
# may go on to the hidden browser, so the browser's environment is set up.
zvo_add_test(test_commands_gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_commands_gui.cpp
  LIBS app_core Qt6::Test
  LABELS gui net
  WEBENGINE
  TIMEOUT 180
  COST 7
  PROGRAM app_browser_tests)
zvo_test_target(test_commands_gui _program)
add_dependencies(${_program} program_data)
