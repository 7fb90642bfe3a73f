# 100,000 records as a plain list, listed by a child subreport, and with a
# kept-together region around the detail's objects: pages per second and
# memory growth side by side.
add_executable(subreport_bench ${CMAKE_CURRENT_SOURCE_DIR}/subreport_bench.cpp)
target_link_libraries(subreport_bench PRIVATE report_content report_model zvo_report_test_support
                                              benchmark::benchmark Qt6::Gui)
