# The printer device: a 20-page job of one dense page to the PDF printer and
# to a CUPS queue of the bench's own server, beside QPrinter with QPainter
# drawing the same; collated copies from the page cache and regenerated.
add_executable(printer_bench ${CMAKE_CURRENT_SOURCE_DIR}/printer_bench.cpp)
target_link_libraries(printer_bench PRIVATE report_output report_content report_model zvo_report_test_support
                                            benchmark::benchmark Qt6::Widgets Qt6::PrintSupport)
target_compile_definitions(printer_bench PRIVATE ZVO_SOURCE_FOLDER="${PROJECT_SOURCE_DIR}")
