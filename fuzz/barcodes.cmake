find_package(Qt6 REQUIRED COMPONENTS Core Gui)
zvo_fuzz(fuzz_barcodes report/model/BarCodeEncoders.cpp report/model/Code128.cpp report/model/Units.cpp
         report/model/Messages.cpp report/model/MessageTable.cpp report/model/LanguageModule.cpp
         platform/rtl/Rounding.cpp platform/rtl/Exceptions.cpp)
target_link_libraries(fuzz_barcodes PRIVATE Qt6::Core Qt6::Gui)
