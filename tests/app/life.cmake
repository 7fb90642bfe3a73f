# One program per folder.
zvo_add_test(test_program_life
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_program_life.cpp
  LIBS app_core Qt6::Test
  LABELS gui
  GUI)
add_dependencies(test_program_life program_data zarvello)
