# The query worker against the fake search engine: direct requests, retry,
# the hidden-browser fallback, stops and the failure log. The web engine's
# main comes first, so the shared GUI main is not linked in.
zvo_add_test(test_worker_net
  SOURCES ${PROJECT_SOURCE_DIR}/tests/platform/browser/test_main_webengine.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_checkse_worker.cpp
  LIBS app_worker
  LABELS net WEBENGINE TIMEOUT 240)
