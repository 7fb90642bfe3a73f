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
