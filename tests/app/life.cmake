# One program per folder, and the program ended from outside: by a signal,
# by the end of its event loop, and as a process of its own.
zvo_add_test(test_program_life
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_program_life.cpp ${CMAKE_CURRENT_LIST_DIR}/test_program_desktop_proxy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_desktop_colors.cpp
  LIBS app_core Qt6::Test
  LABELS gui
  GUI
  COST 25
  PROGRAM app_gui_tests)
zvo_test_target(test_program_life _program)
add_dependencies(${_program} program_data zarvello)
