zvo_fuzz(fuzz_update_script settings/UpdateScript.cpp foundation/FastStrings.cpp foundation/MyUtilities.cpp platform/rtl/Win1252.cpp platform/rtl/Rounding.cpp platform/rtl/Exceptions.cpp)
