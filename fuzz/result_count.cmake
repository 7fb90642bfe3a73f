zvo_fuzz(fuzz_result_count foundation/MyWebUtilities.cpp foundation/FastStrings.cpp foundation/MyUtilities.cpp platform/rtl/Win1252.cpp platform/rtl/Rounding.cpp platform/rtl/Exceptions.cpp)
