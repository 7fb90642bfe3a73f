zvo_add_test(test_foundation_options
  SOURCES options_fixture.h test_options.cpp test_options_password.cpp test_options_ieproxy.cpp
  LIBS foundation
  PROGRAM foundation_tests)
