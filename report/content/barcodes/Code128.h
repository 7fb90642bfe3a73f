#pragma once

// Code 128 carries its own control characters inside the data: start, set
// changes, shifts and function characters as the single characters U+00C9 to
// U+00D2, and set A's ASCII control characters as U+00D3 to U+00F2, as a
// Windows-1252 report template stores them.

#include "report/content/barcodes/BarCodeEncoders.h"

#include <QString>

#include <vector>

namespace report {

namespace code128 {
inline constexpr char16_t FNC3 = 201;
inline constexpr char16_t FNC2 = 202;
inline constexpr char16_t SHIFT = 203;
inline constexpr char16_t CODE_C = 204;
inline constexpr char16_t CODE_B = 205;
inline constexpr char16_t CODE_A = 206;
inline constexpr char16_t FNC1 = 207;
inline constexpr char16_t START_A = 208;
inline constexpr char16_t START_B = 209;
inline constexpr char16_t START_C = 210;
inline constexpr char16_t CONTROL_BASE = 211; // ASCII 0 in set A
inline constexpr int kStopValue = 106;
} // namespace code128

// The 11 modules of symbol value 0..105, or the 13 of the stop (106).
std::string_view Code128Pattern(int aValue);

// The symbol values of aData in order, start first, check and stop last;
// empty with aError filled when the data cannot be encoded.
std::vector<int> Code128Values(const QString &aData, BarCodeError *aError);

// Plain text to the internal form, choosing the sets.
QString Code128AutoEncode(const QString &aText);

// The encoder of the dispatch: auto-encodes when asked, writes the columns.
void EncodeCode128(BarCodeSymbol &aSymbol, BarModuleWriter &aWriter, BarCodeError *aError);

} // namespace report
