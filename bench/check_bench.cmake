# A whole check run in process: 60 sites against 5 engines on a loopback engine
# that answers at once, with 8 connections. Built by default, run by hand:
#   build/bench/check_bench        (takes about two minutes)
add_executable(check_bench ${CMAKE_CURRENT_SOURCE_DIR}/check_bench.cpp)
target_link_libraries(check_bench PRIVATE app_core zvo_test_support benchmark::benchmark Qt6::Widgets)
