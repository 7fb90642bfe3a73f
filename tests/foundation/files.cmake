zvo_add_test(test_foundation_files
  SOURCES test_files_save.cpp test_files_listview.cpp test_files_misc.cpp
  LIBS foundation GUI LABELS gui)
