# The help router and the application's help commands. The router's library
# is wired into the program by the app folder; until then the tests bring it
# in themselves.
if(NOT TARGET app_help)
  add_subdirectory(${PROJECT_SOURCE_DIR}/app/help ${CMAKE_BINARY_DIR}/app/help)
endif()

zvo_add_test(test_helprouter
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_helprouter.cpp
  LIBS app_help
  LABELS gui
  GUI)

# Pictures of the help viewer and the about window for a look by eye:
#   help_shots <output folder>   (program folder: $ZVO_PROGRAM_DIR or the data folder)
if(TARGET app_about)
  add_executable(help_shots ${CMAKE_CURRENT_LIST_DIR}/help_shots.cpp)
  target_link_libraries(help_shots PRIVATE app_about platform_help)
endif()
