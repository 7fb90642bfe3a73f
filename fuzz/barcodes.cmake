find_package(Qt6 REQUIRED COMPONENTS Core Gui)
zvo_fuzz(fuzz_barcodes report/content/barcodes/BarCodeEncoders.cpp report/content/barcodes/Code128.cpp
         report/content/barcodes/BarCodeRules.cpp report/model/base/Units.cpp
         report/model/base/Messages.cpp report/model/base/MessageTable.cpp report/model/base/LanguageModule.cpp
         platform/rtl/Rounding.cpp platform/rtl/Exceptions.cpp)
target_link_libraries(fuzz_barcodes PRIVATE Qt6::Core Qt6::Gui)
