# A private CUPS server with one file-backed PDF queue around one command, for
# scripts/print-demo.sh: cups_sandbox [--queue NAME] --keep FILE -- COMMAND ...
add_executable(cups_sandbox "${CMAKE_CURRENT_LIST_DIR}/cups_sandbox.cpp")
target_link_libraries(cups_sandbox PRIVATE zvo_report_test_support Qt6::Core)
