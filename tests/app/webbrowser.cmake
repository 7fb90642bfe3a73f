# The browser wrapper: host answers, option flags, the shell conversation, and
# a worker-style page load through the hidden browser.
if(NOT TARGET app_webbrowser)
  # Until app/ adds the wrapper's folder itself.
  add_subdirectory("${PROJECT_SOURCE_DIR}/app/webbrowser" "${CMAKE_BINARY_DIR}/app/webbrowser")
endif()

zvo_add_test(test_webbrowser
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_embeddedwb.cpp ${CMAKE_CURRENT_LIST_DIR}/test_shelldde.cpp
  LIBS app_webbrowser
  LABELS unit)

# The web engine's main comes first, so the shared GUI main is not linked in.
zvo_add_test(test_webbrowser_net
  SOURCES ${PROJECT_SOURCE_DIR}/tests/platform/browser/test_main_webengine.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_embeddedwb_net.cpp
  LIBS app_webbrowser
  LABELS net WEBENGINE TIMEOUT 120)
