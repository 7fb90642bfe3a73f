#pragma once

// Bar-code symbologies as pure functions: the settings of one symbol and a
// device resolution in, a row of device pixel columns out. Nothing here knows
// a canvas or a device, so the same columns serve the printer, the screen and
// the measuring of a control, and tests can check them module by module.

#include "report/model/base/Types.h"

#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
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
    // Room past the columns for the spill of the widest short store (see
    // BarModuleWriter::putShort).
    static constexpr int64_t kSlack = 32;

    void clear()
    {
        m_size = 0;
        m_overflowed = false;
    }
    // A few columns at a time. Runs go out eight columns per store; the
    // buffer keeps kSlack spare bytes beyond its columns for the last store
    // of a run to spill into.
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

// Working space of one encoding: on the stack for the data of labels, on
// the heap only for longer data, so that an encoding does not allocate.
template <class T, size_t N>
class BarScratch
{
    // Left uninitialised: zeroing the stack buffer would cost more than the
    // encoding it serves.
    static_assert(std::is_trivially_default_constructible_v<T>);

public:
    explicit BarScratch(size_t aCount)
    {
        if (aCount > N) {
            m_heap.reset(new T[aCount]);
            m_data = m_heap.get();
        }
    }
    BarScratch(const BarScratch &) = delete;
    BarScratch &operator=(const BarScratch &) = delete;
    T *data() { return m_data; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }

private:
    std::array<T, N> m_small;
    std::unique_ptr<T[]> m_heap;
    T *m_data = m_small.data();
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

// A length in thousandths of a millimetre as inches kept to four decimals,
// in whole ten-thousandths of an inch.
int32_t ppInchTenThousandths(int32_t aMMThousandths);

// Device columns of a length of whole ten-thousandths of an inch times
// aRatio, rounded once, halves to even; never negative.
int64_t ppInchColumns(int64_t aTenThousandths, int aResolution, double aRatio = 1.0);

// Device columns of one element: the narrow module, or the wide one (the
// ratio applied before rounding); never negative.
int64_t ppElementColumns(int32_t aBarWidth, int aResolution, double aRatio = 1.0);

// Appends elements of one symbol at one resolution; each element is rounded
// on its own, so a symbol's length is the sum of its rounded elements.
class BarModuleWriter
{
public:
    BarModuleWriter(const BarCodeSymbol &aSymbol, int aResolution, BarColumns &aColumns);
    // Narrow modules, one per character, expanded in one pass once the
    // whole symbol is known.
    void WriteModules(std::string_view aModules)
    {
        const int64_t total = m_narrow * int64_t(aModules.size());
        char *p = m_columns.Reserve(total);
        if (!p)
            return;
        expandModules(p, aModules.data(), aModules.size(), m_narrow);
        m_columns.Commit(total);
    }

    // Eight columns of aColumn as one word.
    static uint64_t columnWord(char aColumn) { return uint64_t(uint8_t(aColumn)) * 0x0101010101010101ull; }
    // The widest element putShort draws.
    static constexpr int64_t kShort = 32;
    // An element of at most kShort columns as four stores whatever its
    // width: the stores past its end are overwritten by what follows, or
    // land in the buffer's slack. Cheaper than a loop's branches at the
    // widths printers use. Answers the end.
    static char *putShort(char *aTo, uint64_t aWord, int64_t aCount)
    {
        std::memcpy(aTo, &aWord, 8);
        std::memcpy(aTo + 8, &aWord, 8);
        std::memcpy(aTo + 16, &aWord, 8);
        std::memcpy(aTo + 24, &aWord, 8);
        return aTo + aCount;
    }
    // Stores aCount columns at aTo; answers the end.
    static char *fillRun(char *aTo, char aColumn, int64_t aCount)
    {
        if (aCount <= kShort)
            return putShort(aTo, columnWord(aColumn), aCount);
        std::memset(aTo, aColumn, size_t(aCount));
        return aTo + aCount;
    }
    // aCount modules of aNarrow columns each at aTo; answers the end. A
    // module of up to eight columns is a single store, so the modules need
    // not be gathered into runs first.
    static char *expandModules(char *aTo, const char *aModules, size_t aCount, int64_t aNarrow)
    {
        if (aNarrow <= 8) {
            for (size_t i = 0; i < aCount; ++i) {
                const uint64_t word = columnWord(aModules[i]);
                std::memcpy(aTo, &word, 8);
                aTo += aNarrow;
            }
            return aTo;
        }
        if (aNarrow <= kShort) {
            for (size_t i = 0; i < aCount; ++i)
                aTo = putShort(aTo, columnWord(aModules[i]), aNarrow);
            return aTo;
        }
        for (size_t i = 0; i < aCount;) {
            size_t j = i + 1;
            while (j < aCount && aModules[j] == aModules[i])
                ++j;
            aTo = fillRun(aTo, aModules[i], aNarrow * int64_t(j - i));
            i = j;
        }
        return aTo;
    }
    BarColumns &columns() { return m_columns; }
    int64_t narrow() const { return m_narrow; }
    int64_t wide() const { return m_wide; }
    // Code 39's gap between characters: two modules rounded as one value.
    int64_t gap() const { return m_gap; }
    // Postnet's space after a bar: 1.375 bars.
    int64_t postnetSpace() const { return m_postnetSpace; }

private:
    BarColumns &m_columns;
    int64_t m_narrow = 0;
    int64_t m_wide = 0;
    int64_t m_gap = 0;
    int64_t m_postnetSpace = 0;
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
