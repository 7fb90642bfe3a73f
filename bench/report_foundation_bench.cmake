# Unit conversions, message lookups and display formats of the report library.
add_executable(report_foundation_bench ${CMAKE_CURRENT_SOURCE_DIR}/report_foundation_bench.cpp)
target_link_libraries(report_foundation_bench PRIVATE report_model benchmark::benchmark)
