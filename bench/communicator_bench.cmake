# Numbered events of the report objects: sends, listener checks and ordered registration.
add_executable(communicator_bench ${CMAKE_CURRENT_SOURCE_DIR}/communicator_bench.cpp)
target_link_libraries(communicator_bench PRIVATE report_model benchmark::benchmark)
