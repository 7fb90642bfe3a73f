find_package(Qt6 REQUIRED COMPONENTS Core)
zvo_fuzz(fuzz_report_texts report/model/base/LanguageModule.cpp report/model/base/PageList.cpp)
target_link_libraries(fuzz_report_texts PRIVATE Qt6::Core)
