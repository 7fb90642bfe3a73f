# Whole check runs of the main window against the fake search engine, and the
# progress window. A query that is given up may already be on its way to the
# hidden browser, so the browser's environment is set up as well.
zvo_add_test(test_driver_gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_driver_gui.cpp
  LIBS app_core Qt6::Test
  LABELS gui net
  WEBENGINE
  TIMEOUT 180
  PROGRAM app_browser_tests)
zvo_test_target(test_driver_gui _program)
add_dependencies(${_program} program_data)
# The pacing is checked on the server's arrival times, which also carry each
# request's way through a new thread and a new connection; other tests
# loading the machine at the same time would blur them.
set_tests_properties(test_driver_gui PROPERTIES RUN_SERIAL TRUE)
