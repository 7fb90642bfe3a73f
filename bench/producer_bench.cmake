# The print road of the producer: 10,000 stand-in pages to a null device
# through Print, bare, with message processing, and under the modal cancel
# dialog taking a status per page (offscreen).
add_executable(producer_bench ${CMAKE_CURRENT_SOURCE_DIR}/producer_bench.cpp)
target_link_libraries(producer_bench PRIVATE report_model report_output zvo_report_test_support benchmark::benchmark
                                             Qt6::Widgets)
