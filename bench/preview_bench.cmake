# The screen device and the viewer: a dense page rendered at 100 % and 200 %
# beside QPainter drawing the same, page turns cached and generated, and the
# memory of a 1,000-page preview.
add_executable(preview_bench ${CMAKE_CURRENT_SOURCE_DIR}/preview_bench.cpp)
target_link_libraries(preview_bench PRIVATE report_output report_content report_model zvo_report_test_support
                                            benchmark::benchmark Qt6::Widgets)
