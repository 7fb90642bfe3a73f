# A stand-in search engine on 127.0.0.1 for demonstrations and scripts:
# fake_engine [--engines N] [--table FILE] [--seconds S].
add_executable(fake_engine "${CMAKE_CURRENT_LIST_DIR}/fake_engine.cpp")
target_link_libraries(fake_engine PRIVATE zvo_test_support platform_rtl)
