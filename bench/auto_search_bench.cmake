# Reading the values of an in-list criterion as a search handler does for
# every record: 10,000 values of one field.
add_executable(auto_search_bench ${CMAKE_CURRENT_SOURCE_DIR}/auto_search_bench.cpp)
target_link_libraries(auto_search_bench PRIVATE report_model benchmark::benchmark)
