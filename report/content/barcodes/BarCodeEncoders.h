#pragma once

// Bar-code symbologies as pure functions: the settings of one symbol and a
// device resolution in, a row of device pixel columns out. Nothing here knows
// a canvas or a device, so the same columns serve the printer, the screen and
// the measuring of a control, and tests can check them module by module.

#include "report/model/base/Types.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace report {

// One character per device pixel column: '1' bar, '0' space; Postnet uses
// '2' for a tall bar and '1' for a short one. The buffer keeps its capacity
// between encodings so that a draw command repainting the same symbol does not
// allocate; a symbol that would pass kMaxColumns is dropped whole (nothing is
// drawn, as for invalid data) instead of being clipped into a false reading.
class BarColumns
{
public:
    static constexpr int64_t kMaxColumns = 1048576;
    static constexpr int64_t kSlack = 8;

    void clear()
    {
        m_size = 0;
        m_overflowed = false;
    }
    // The hot path of every encoder: a few columns at a time. Runs go out
    // eight columns per store; the buffer keeps kSlack spare bytes beyond
    // its columns for the last store of a run to spill into.
    void append(char column, int64_t count)
    {
        if (count <= 0 || m_overflowed)
            return;
        if (count > int64_t(m_buffer.size()) - kSlack - m_size && !grow(count))
            return;
        const uint64_t word = uint64_t(uint8_t(column)) * 0x0101010101010101ull;
        char *p = m_buffer.data() + m_size;
        // Most elements are a few stores wide: spelled out, they stay plain
        // stores instead of becoming a call to memset for each element.
        std::memcpy(p, &word, 8);
        if (count > 8) {
            std::memcpy(p + 8, &word, 8);
            if (count > 16) {
                std::memcpy(p + 16, &word, 8);
                for (int64_t i = 24; i < count; i += 8)
                    std::memcpy(p + i, &word, 8);
            }
        }
        m_size += count;
    }
    // Columns prepared elsewhere, as one run.
    void appendColumns(const char *columns, int64_t count)
    {
        if (count <= 0 || m_overflowed)
            return;
        if (count > int64_t(m_buffer.size()) - kSlack - m_size && !grow(count))
            return;
        std::memcpy(m_buffer.data() + m_size, columns, size_t(count));
        m_size += count;
    }
    // Room for aCount more columns, written straight through the pointer
    // (eight-byte stores may spill up to kSlack past them); Commit makes
    // them part of the symbol. nullptr when the symbol would overflow.
    char *Reserve(int64_t aCount)
    {
        if (aCount < 0 || m_overflowed)
            return nullptr;
        if (aCount > int64_t(m_buffer.size()) - kSlack - m_size && !grow(aCount))
            return nullptr;
        return m_buffer.data() + m_size;
    }
    void Commit(int64_t aCount) { m_size += aCount; }
    // Takes another buffer's columns, keeping this buffer's storage.
    void assign(const BarColumns &other);

    bool overflowed() const { return m_overflowed; }
    bool empty() const { return m_size == 0; }
    int64_t size() const { return m_size; }
    std::string_view view() const { return {m_buffer.data(), size_t(m_size)}; }

private:
    bool grow(int64_t count);

    std::vector<char> m_buffer;
    int64_t m_size = 0;
    bool m_overflowed = false;
};

// What the encoders read from a bar-code draw command and may write back:
// `Data` gains check digits or is rewritten by Code 128's auto-encoding, and
// `CodeOK` falls when Code 128 data cannot be encoded.
struct BarCodeSymbol
{
    TppBarCodeType BarCodeType = TppBarCodeType::bcCode39;
    QString Data;
    QString AddOnCode;
    bool AutoEncode = false;
    bool CalcCheckDigit = true;
    int32_t BarWidth = 254; // narrow module, thousandths of a millimetre (0.01 inch)
    float WideBarRatio = 3.0f;
    bool CodeOK = true;
};

// An encoding error as the draw command reports it: the library message
// number and its text, ready for the message box.
struct BarCodeError
{
    int Message = 0;
    QString Text;
};

// The narrow module's width in inches as the library keeps it (4 decimals).
float ppBarWidthInches(int32_t aBarWidth);

// Device columns of one element: the narrow module, or the wide one (the
// ratio applied before rounding); never negative.
int64_t ppElementColumns(int32_t aBarWidth, int aResolution, double aRatio = 1.0);

// Appends elements of one symbol at one resolution; each element is rounded
// on its own, so a symbol's length is the sum of its rounded elements.
class BarModuleWriter
{
public:
    BarModuleWriter(const BarCodeSymbol &aSymbol, int aResolution, BarColumns &aColumns);
    void WriteElement(char aKind, char aColumn) { m_columns.append(aColumn, aKind == 'W' ? m_wide : m_narrow); }
    // A run of narrow elements, one per character of aPattern.
    // Equal neighbours go out as one run: every narrow element rounds alike.
    void WritePattern(std::string_view aPattern)
    {
        for (size_t i = 0; i < aPattern.size();) {
            size_t j = i + 1;
            while (j < aPattern.size() && aPattern[j] == aPattern[i])
                ++j;
            m_columns.append(aPattern[i], m_narrow * int64_t(j - i));
            i = j;
        }
    }
    // Runs of narrow modules given by their widths ('1'..'9'), bar first
    // and alternating, as the symbologies' tables list them.
    void WriteRuns(std::string_view aWidths)
    {
        for (size_t i = 0; i < aWidths.size(); ++i)
            m_columns.append(i % 2 == 0 ? '1' : '0', m_narrow * (aWidths[i] - '0'));
    }
    // Narrow modules, one per character, expanded in one pass once the
    // whole symbol is known: a run of equal modules is one stretch of
    // columns, whatever character or guard it came from.
    void WriteModules(std::string_view aModules)
    {
        const int64_t total = m_narrow * int64_t(aModules.size());
        char *p = m_columns.Reserve(total);
        if (!p)
            return;
        for (size_t i = 0; i < aModules.size();) {
            size_t j = i + 1;
            while (j < aModules.size() && aModules[j] == aModules[i])
                ++j;
            p = fillRun(p, aModules[i], m_narrow * int64_t(j - i));
            i = j;
        }
        m_columns.Commit(total);
    }
    // Stores aCount columns at aTo, eight at a time; answers the end.
    static char *fillRun(char *aTo, char aColumn, int64_t aCount)
    {
        const uint64_t word = uint64_t(uint8_t(aColumn)) * 0x0101010101010101ull;
        for (int64_t i = 0; i < aCount; i += 8)
            std::memcpy(aTo + i, &word, 8);
        return aTo + aCount;
    }
    BarColumns &columns() { return m_columns; }
    void WriteColumns(char aColumn, int64_t aCount) { m_columns.append(aColumn, aCount); }
    void WriteColumns(const char *aColumns, int64_t aCount) { m_columns.appendColumns(aColumns, aCount); }
    int64_t narrow() const { return m_narrow; }
    // A width in narrow modules rounded as one value (Code 39's gap).
    int64_t columnsFor(double aRatio) const;

private:
    BarColumns &m_columns;
    double m_inches; // the narrow module
    int m_resolution;
    int64_t m_narrow;
    int64_t m_wide;
};

// Fills aColumns with the symbol for aResolution (pixels per inch along it).
// Empty or invalid data leaves aColumns empty. Code 128 errors clear CodeOK and
// come back in aError when one is given.
void EncodeBarCode(BarCodeSymbol &aSymbol, int aResolution, BarColumns &aColumns, BarCodeError *aError = nullptr);

// The 2- or 5-digit supplement of the UPC/EAN family; anything else, digits
// only, leaves aAddOnColumns empty.
void EncodeAddOn(const BarCodeSymbol &aSymbol, int aResolution, BarColumns &aAddOnColumns);

// 7-module pattern of a digit in UPC/EAN set 'A' (odd), 'B' (even) or 'C'
// (right hand); a non-digit leaves aPattern as it was.
void DigitPattern(char aSet, QChar aDigit, std::string &aPattern);

bool ppIsUPCEANType(TppBarCodeType aType);

// The check digits of the family, on texts of digits.
int ppCheckDigit31(const QString &aDigits);    // weight 3 on odd positions from the left
int ppEAN13CheckDigit(const QString &aDigits); // weight 3 on even positions
int ppLuhnCheckDigit(const QString &aDigits);
QString ppExpandUPCE(const QString &aSixDigits); // the 11-digit UPC-A form

// The extent of a symbol in device pixels before its human-readable text,
// which needs a font and is added by the renderer.
struct BarCodeGeometry
{
    int64_t QuietZone = 0;
    int64_t Width = 0;  // along the symbol
    int64_t Height = 0; // across it
    int64_t ModuleWidth = 0;
};

struct BarCodeLayout
{
    TppBarCodeType BarCodeType = TppBarCodeType::bcCode39;
    TppBarCodeOrientation Orientation = TppBarCodeOrientation::orLeftToRight;
    int32_t BarWidth = 254;
    bool AutoSize = true;
    int32_t mmHeight = 0; // the draw command's height
    int32_t mmWidth = 0;  // its width, the height of a vertical symbol
    int HorizontalResolution = 96;
    int VerticalResolution = 96;
};

BarCodeGeometry MeasureBarCode(const BarCodeLayout &aLayout, int64_t aColumns, int64_t aAddOnColumns);

} // namespace report
