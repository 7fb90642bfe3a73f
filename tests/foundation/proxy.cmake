# Set-up of an HTTP client from the proxy settings.
zvo_add_test(test_foundation_proxy
  SOURCES test_proxy_settings.cpp
  LIBS foundation
  LABELS unit
  PROGRAM foundation_tests)
zvo_add_test(test_foundation_proxy_net
  SOURCES test_proxy_settings_net.cpp
  LIBS foundation
  LABELS net TIMEOUT 120
  PROGRAM foundation_tests)
