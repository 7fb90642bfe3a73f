# The dialogs' frames and faces, on the offscreen platform.
zvo_add_test(test_dialog_frames_gui
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_dialog_frames_gui.cpp
  LIBS app_core
  LABELS gui
  GUI
  PROGRAM app_gui_tests)
