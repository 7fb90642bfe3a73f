# Converts component streams between the binary and the text form:
# streamconv --to-text IN OUT, streamconv --to-binary IN OUT.
add_executable(streamconv "${CMAKE_CURRENT_LIST_DIR}/streamconv.cpp")
target_link_libraries(streamconv PRIVATE platform_classes)
