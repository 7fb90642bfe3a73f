# Page generation of a list report over 100,000 memory records to a device
# that discards its pages: one pass, two passes, and the resident memory as
# the pages go by.
add_executable(report_engine_bench ${CMAKE_CURRENT_SOURCE_DIR}/report_engine_bench.cpp)
target_link_libraries(report_engine_bench PRIVATE report_model zvo_report_test_support benchmark::benchmark Qt6::Core)
