# Text search, replace, field, number and scraper helpers.
zvo_add_test(test_foundation_text
  SOURCES test_faststrings.cpp test_myutilities_text.cpp test_mywebutilities_scraper.cpp
  LIBS foundation
  LABELS unit
  PROGRAM foundation_tests)
