# The file devices fed pre-built pages: text records (comma, fixed length),
# the page on a character grid, and archives written and read back.
add_executable(export_bench ${CMAKE_CURRENT_SOURCE_DIR}/export_bench.cpp)
target_link_libraries(export_bench PRIVATE report_output report_content report_model zvo_report_test_support
                                           benchmark::benchmark Qt6::Widgets)
