# The file devices fed pre-built pages: text records (comma, fixed length),
# the page on a character grid, and archives written and read back; and
# reportdemo's list sample printed to a text file, its samples' sources as
# reportdemo builds them.
file(GLOB _export_bench_samples CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tools/reportdemo/*Sample*.cpp")
add_executable(export_bench ${CMAKE_CURRENT_SOURCE_DIR}/export_bench.cpp ${_export_bench_samples})
target_include_directories(export_bench PRIVATE ${CMAKE_SOURCE_DIR}/tools/reportdemo)
target_link_libraries(export_bench PRIVATE report_output report_content report_model zvo_report_test_support
                                           benchmark::benchmark Qt6::Widgets)
