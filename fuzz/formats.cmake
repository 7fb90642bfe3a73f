find_package(Qt6 REQUIRED COMPONENTS Core)
zvo_fuzz(fuzz_formats platform/rtl/FormatSettings.cpp platform/rtl/Decimal.cpp platform/rtl/FloatToStr.cpp
         platform/rtl/FormatFloat.cpp platform/rtl/FormatDateTime.cpp platform/rtl/StrToDateTime.cpp
         platform/rtl/StrToFloat.cpp platform/rtl/EditMask.cpp platform/rtl/DateTime.cpp platform/rtl/QtText.cpp
         platform/rtl/Win1252.cpp platform/rtl/Exceptions.cpp)
target_link_libraries(fuzz_formats PRIVATE Qt6::Core)
