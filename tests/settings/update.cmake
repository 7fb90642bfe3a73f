# Update scheduler, update window and the update list.
zvo_add_test(test_update_script
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_update_script.cpp
  LIBS settings LABELS unit)

zvo_add_test(test_update_scheduler
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_update_scheduler.cpp
  LIBS settings GUI LABELS gui
  PROGRAM settings_gui_tests)

zvo_add_test(test_update_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_update_window.cpp
  LIBS settings Qt6::Test GUI LABELS gui net TIMEOUT 120
  PROGRAM settings_gui_tests)

# The scheduler's days and the list's file dates in zones whose clocks skip.
zvo_add_zone_runs(test_update_scheduler "UpdateScheduler.*")
zvo_add_zone_runs(test_update_script "UpdateScript.*")
zvo_add_zone_runs(test_update_window
  "UpdateWindowTest.OnlyDueFilesAreFetchedAndReplacedWithBackups:UpdateWindowTest.SchedulerOpensTheWindowOnYesAndWaitsForIt")
