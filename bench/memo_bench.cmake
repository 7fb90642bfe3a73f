# A stretching memo of 2 MB of text over about a thousand pages, measured with
# the real fonts on a 600 dpi printer, and the wrapping of that text alone.
add_executable(memo_bench ${CMAKE_CURRENT_SOURCE_DIR}/memo_bench.cpp)
target_link_libraries(memo_bench PRIVATE report_content report_model zvo_report_test_support benchmark::benchmark
                                         Qt6::Gui)
