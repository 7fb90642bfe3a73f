# The outline of a grouped report of 5,000 cached pages: what its page
# commands hold and what each page end costs.
add_executable(outline_bench ${CMAKE_CURRENT_SOURCE_DIR}/outline_bench.cpp)
target_link_libraries(outline_bench PRIVATE report_model zvo_report_test_support benchmark::benchmark Qt6::Core)
