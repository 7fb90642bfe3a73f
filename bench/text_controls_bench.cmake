# The text controls and their draw commands: a detail record of five data
# texts and two labels generated and put on a page, the measuring of a label
# and the wrapping of a 2 KB text on a 600 dpi printer.
add_executable(text_controls_bench ${CMAKE_CURRENT_SOURCE_DIR}/text_controls_bench.cpp)
target_link_libraries(text_controls_bench PRIVATE report_content report_model zvo_report_test_support
                                                  benchmark::benchmark Qt6::Gui)
