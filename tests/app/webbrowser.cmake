# The browser wrapper: host answers, option flags and the shell conversation.
# Its pages through the hidden browser are checked by the worker's tests.
if(NOT TARGET app_webbrowser)
  # Until app/ adds the wrapper's folder itself.
  add_subdirectory("${PROJECT_SOURCE_DIR}/app/webbrowser" "${CMAKE_BINARY_DIR}/app/webbrowser")
endif()

zvo_add_test(test_webbrowser
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_embeddedwb.cpp ${CMAKE_CURRENT_LIST_DIR}/test_shelldde.cpp
  LIBS app_webbrowser
  LABELS unit)
