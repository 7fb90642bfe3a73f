# The main window's drawn output against reviewed pictures.
zvo_add_test(test_mainwindow_pixels
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_mainwindow_pixels.cpp
  LIBS app_core zvo_test_images
  LABELS gui
  GUI
  PROGRAM app_gui_tests)
zvo_test_target(test_mainwindow_pixels _program)
add_dependencies(${_program} program_data)
