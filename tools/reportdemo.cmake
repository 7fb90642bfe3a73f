# Prints a sample report over a CSV file, one line per page naming its bands:
# reportdemo --report list|grouped|barcodes|memo|shapes|richtext --data FILE.csv [--device Trace|Screen] [--pages LIST] [--out FILE]
# [--dump FILE]; with --device Printer [--printer NAME] or --pdf FILE it prints the report.
add_executable(reportdemo "${CMAKE_CURRENT_LIST_DIR}/reportdemo/main.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/Criteria.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/OutputFile.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/BarCodeSample.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/PageDump.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/PictureFiles.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/PrinterChoice.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/RichTextSample.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/Samples.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/ScreenRun.cpp"
                          "${CMAKE_CURRENT_LIST_DIR}/reportdemo/ShapesSample.cpp")
target_link_libraries(reportdemo PRIVATE report_output report_content report_model zvo_report_test_support Qt6::Widgets
                                         Qt6::Gui Qt6::Core)
