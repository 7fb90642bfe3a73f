zvo_fuzz(fuzz_csv_reader tests/support/report/CsvReader.cpp)
