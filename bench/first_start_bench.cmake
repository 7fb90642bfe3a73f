# A first start whose stored counts "ZVO-Domains.txt" hold many sites: from
# the main window's creation to the check of every row, which is cancelled at
# once. Built by default, run by hand:
#   build/bench/first_start_bench
add_executable(first_start_bench ${CMAKE_CURRENT_SOURCE_DIR}/first_start_bench.cpp)
target_link_libraries(first_start_bench PRIVATE app_core zvo_test_support benchmark::benchmark Qt6::Widgets)
