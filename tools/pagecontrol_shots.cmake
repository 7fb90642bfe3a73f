# Renders the page control in every style and position to PNG files for
# visual review: pagecontrol_shots <output folder>.
add_executable(pagecontrol_shots "${CMAKE_CURRENT_LIST_DIR}/pagecontrol_shots.cpp")
target_link_libraries(pagecontrol_shots PRIVATE pagecontrol Qt6::Widgets)
