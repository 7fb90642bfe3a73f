# The start-up registration of the components the program carries.
zvo_add_test(test_component_registration
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_component_registration.cpp
  LIBS app_core webbrowser pagecontrol platform_registry
  LABELS unit
  PROGRAM app_tests)
