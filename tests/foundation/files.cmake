zvo_add_test(test_foundation_files
  SOURCES test_files_save.cpp test_files_listview.cpp test_files_misc.cpp
  LIBS foundation GUI LABELS gui
  PROGRAM foundation_gui_tests)

# File dates and date-time stamps, once more in zones whose clocks skip.
zvo_add_zone_runs(test_foundation_files "ProgramFiles.*")
