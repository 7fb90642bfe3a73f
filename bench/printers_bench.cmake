# The printer list and the first look at each printer's papers and bins, on a
# CUPS server of the bench's own with 20 queues (cups-daemon and cups-client needed).
add_executable(printers_bench ${CMAKE_CURRENT_SOURCE_DIR}/printers_bench.cpp)
target_link_libraries(printers_bench PRIVATE report_model report_output platform_print_fake zvo_report_test_support benchmark::benchmark Qt6::Widgets)
target_compile_definitions(printers_bench PRIVATE ZVO_SOURCE_FOLDER="${PROJECT_SOURCE_DIR}")
