# A data memo and a data rich text of one long record each, at two sizes,
# generated page after page (the rich text's pages also drawn as a device
# draws them): the time per megabyte or per paragraph should not grow with
# the size.
add_executable(long_text_bench ${CMAKE_CURRENT_SOURCE_DIR}/long_text_bench.cpp)
target_link_libraries(long_text_bench PRIVATE report_content report_model zvo_report_test_support
                                              benchmark::benchmark Qt6::Gui)
