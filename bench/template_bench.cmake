# Report templates: a report of 1,000 components saved and loaded whole, in
# both forms, to and from memory and a file.
add_executable(template_bench ${CMAKE_CURRENT_SOURCE_DIR}/template_bench.cpp)
target_link_libraries(template_bench PRIVATE report_content report_model benchmark::benchmark Qt6::Gui)
