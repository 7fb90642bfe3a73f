#include "report/content/barcodes/Code128.h"

#include "platform/rtl/QtText.h"

#include "report/model/base/Messages.h"

#include <array>

namespace report {

using namespace code128;

namespace {

// Bar and space widths of values 0..105 and of the stop, as the symbology's
// table lists them; expanded to modules once.
constexpr std::array<std::string_view, 107> kWidths = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213", "221312",
    "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132", "221231", "213212",
    "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211", "212123", "212321", "232121",
    "111323", "131123", "131321", "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331",
    "132131", "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131", "311123",
    "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111", "111224", "111422", "121124",
    "121421", "141122", "141221", "112214", "112412", "122114", "122411", "142112", "142211", "241211", "221114",
    "413111", "241112", "134111", "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112",
    "421211", "212141", "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

struct PatternTable
{
    std::array<std::array<char, 14>, 107> modules{};

    constexpr PatternTable()
    {
        for (size_t v = 0; v < kWidths.size(); ++v) {
            size_t m = 0;
            for (size_t e = 0; e < kWidths[v].size(); ++e)
                for (char k = '0'; k < kWidths[v][e]; ++k)
                    modules[v][m++] = e % 2 == 0 ? '1' : '0';
        }
    }
};

constexpr PatternTable kPatterns;

enum class Set { A, B, C };

bool inSetA(char16_t c)
{
    return (c >= 32 && c <= 95) || c == FNC3 || c == FNC2 || c == CODE_A || c == FNC1 || (c >= 211 && c <= 242);
}

bool inSetB(char16_t c)
{
    return (c >= 32 && c <= 127) || c == FNC3 || c == FNC2 || c == CODE_B || c == FNC1;
}

void fail(BarCodeError *aError, int message, const QStringList &args = {})
{
    if (aError) {
        aError->Message = message;
        aError->Text = args.isEmpty() ? ppLoadStr(message) : ppLoadStrFormat(message, args);
    }
}

// Works in buffers of its own, on the stack for the text of a label, and
// makes one text at the end: the set choice is made per label printed.
struct AutoEncoder
{
    // The text to encode: the caller's, or its recoded copy.
    const QChar *d = nullptr;
    qsizetype n = 0;
    BarScratch<char16_t, 256> recoded;
    // Per position: bit 1 belongs to a digit pair, bit 2 set C may stand
    // here (a pair, or FNC1, which never pairs).
    BarScratch<uint8_t, 256> flags;
    // Per position: where set A, and set B, first stop fitting from here on.
    struct Stops
    {
        int32_t first, second;
    };
    BarScratch<Stops, 257> nextNot;
    // A start character, then at most a set change or shift before each
    // character of the text.
    BarScratch<char16_t, 513> out;
    qsizetype outSize = 0;

    static constexpr uint8_t kPair = 1, kAllowC = 2;

    bool pairC(qsizetype i) const { return flags[size_t(i)] & kPair; }
    bool allowC(qsizetype i) const { return flags[size_t(i)] & kAllowC; }
    void push(QChar c) { out[size_t(outSize++)] = c.unicode(); }

    explicit AutoEncoder(const QString &aText)
        : recoded(size_t(aText.size()))
        , flags(size_t(aText.size()))
        , nextNot(size_t(aText.size()) + 1)
        , out(2 * size_t(aText.size()) + 1)
    {
        // Plain text brings its control characters as themselves; set A
        // carries them under their internal codes. Most text has nothing to
        // remove or recode and is taken as it is.
        bool plain = true;
        for (QChar ch : aText) {
            const char16_t c = ch.unicode();
            if (c < 32 || (c >= SHIFT && c <= CODE_A) || (c >= START_A && c <= START_C)) {
                plain = false;
                break;
            }
        }
        if (plain) {
            d = aText.constData();
            n = aText.size();
        } else {
            for (QChar ch : aText) {
                const char16_t c = ch.unicode();
                if ((c >= SHIFT && c <= CODE_A) || (c >= START_A && c <= START_C))
                    continue;
                recoded[size_t(n++)] = c < 32 ? char16_t(CONTROL_BASE + c) : c;
            }
            d = reinterpret_cast<const QChar *>(recoded.data());
        }
        bool opened = false; // the previous position opened a pair
        for (qsizetype i = 0; i < n; ++i) {
            uint8_t f = 0;
            if (opened) {
                f = kPair;
                opened = false;
            } else if (i + 1 < n && rtl::isAsciiDigit(d[i].unicode()) && rtl::isAsciiDigit(d[i + 1].unicode())) {
                f = kPair;
                opened = true;
            }
            if (f || d[i].unicode() == FNC1)
                f |= kAllowC;
            flags[size_t(i)] = f;
        }
        nextNot[size_t(n)] = {int32_t(n), int32_t(n)};
        for (qsizetype i = n - 1; i >= 0; --i) {
            const auto &after = nextNot[size_t(i + 1)];
            nextNot[size_t(i)] = {inSetA(d[i].unicode()) ? after.first : int32_t(i),
                                  inSetB(d[i].unicode()) ? after.second : int32_t(i)};
        }
    }

    // The walk forward from p ends where set A or set B first stops fitting;
    // the positions where that happens are kept per position, so that text
    // which keeps returning to set C is not walked again and again.
    Set choose(qsizetype p) const
    {
        if (allowC(p))
            return Set::C;
        const qsizetype a = nextNot[size_t(p)].first;
        const qsizetype b = nextNot[size_t(p)].second;
        if (a < b)
            return Set::B;
        if (b < a)
            return Set::A;
        // Both fit to the end (the position's own sets decide, and A is
        // preferred), or both stop at once and nothing is left but B.
        return a == n ? Set::A : Set::B;
    }

    QString run()
    {
        if (n == 0)
            return QString(reinterpret_cast<const QChar *>(out.data()), 0);
        Set set = choose(0);
        push(QChar(set == Set::C ? START_C : set == Set::A ? START_A : START_B));
        qsizetype i = 0;
        while (i < n) {
            const char16_t c = d[i].unicode();
            if (pairC(i)) {
                if (set != Set::C && (i + 2 >= n || pairC(i + 2))) {
                    push(QChar(CODE_C));
                    set = Set::C;
                }
                push(d[i]);
                push(d[i + 1]);
                i += 2;
                continue;
            }
            const bool last = i + 1 >= n;
            if (set == Set::C && c != FNC1) {
                set = choose(i);
                push(QChar(set == Set::C ? CODE_C : set == Set::A ? CODE_A : CODE_B));
            } else if (set == Set::A && !inSetA(c)) {
                if (last || inSetB(d[i + 1].unicode())) {
                    push(QChar(CODE_B));
                    set = Set::B;
                } else {
                    push(QChar(SHIFT));
                }
            } else if (set == Set::B && !inSetB(c)) {
                if (last || inSetA(d[i + 1].unicode())) {
                    push(QChar(CODE_A));
                    set = Set::A;
                } else {
                    push(QChar(SHIFT));
                }
            }
            push(QChar(c));
            ++i;
        }
        return QString(reinterpret_cast<const QChar *>(out.data()), outSize);
    }
};

// Hands each symbol value to aEmit in order, start first, check and stop
// last; false, with aError filled, at the first fault.
template <class Emit>
bool scanCode128(const QString &aData, BarCodeError *aError, Emit &&aEmit)
{
    const qsizetype n = aData.size();
    Set set;
    const char16_t first = n > 0 ? aData[0].unicode() : 0;
    if (first == START_A || first == START_B || first == START_C) {
        set = first == START_A ? Set::A : first == START_B ? Set::B : Set::C;
        aEmit(first - START_A + 103);
    } else {
        fail(aError, 451);
        return false;
    }
    // Weighted by position modulo 103 and reduced once at the end: the
    // sum stays far inside 64 bits for any text a QString holds, and a
    // division per symbol value was a good part of the encoding time.
    int64_t checksum = first - START_A + 103;
    int64_t weight = 1;
    bool shiftPending = false;
    auto put = [&](int v) {
        aEmit(v);
        checksum += int64_t(v) * weight;
        if (++weight == 103)
            weight = 0;
    };
    for (qsizetype i = 1; i < n; ++i) {
        const char16_t c = aData[i].unicode();
        int value = -1;
        if (c > 0xFF) {
            // Only Windows-1252 codes can stand in the data; anything else
            // would otherwise vanish or turn into a question mark.
            fail(aError, 453, {QString(aData[i])});
            return false;
        } else if (c >= START_A && c <= START_C) {
            fail(aError, 452);
            return false;
        } else if (set != Set::C && c >= 32 && c <= 95) {
            value = c - 32;
        } else if (c >= 96 && c <= 127) {
            if (set != Set::B) {
                fail(aError, 453, {QString(aData[i])});
                return false;
            }
            value = c - 32;
        } else if (c >= 211 && c <= 242) {
            if (set != Set::A) {
                fail(aError, 454);
                return false;
            }
            value = c - 147;
        } else if (set == Set::C && !(c >= FNC3 && c <= FNC1)) {
            if (i + 1 >= n) {
                fail(aError, 455);
                return false;
            }
            if (!rtl::isAsciiDigit(c) || !rtl::isAsciiDigit(aData[i + 1].unicode())) {
                fail(aError, 456);
                return false;
            }
            value = (c - u'0') * 10 + (aData[i + 1].unicode() - u'0');
            ++i;
        } else if (set == Set::C && c >= FNC3 && c <= CODE_C) {
            fail(aError, 457);
            return false;
        } else if (c == FNC3) {
            value = 96;
        } else if (c == FNC2) {
            value = 97;
        } else if (c == FNC1) {
            value = 102;
        } else if (c == SHIFT) {
            if (shiftPending) {
                fail(aError, 458);
                return false;
            }
            put(98);
            set = set == Set::A ? Set::B : Set::A;
            shiftPending = true;
            continue;
        } else if (c == CODE_C) {
            value = 99;
            set = Set::C;
        } else if (c == CODE_B) {
            value = 100;
            set = Set::B;
        } else if (c == CODE_A) {
            value = 101;
            set = Set::A;
        }
        // Anything else has no place in any set and is dropped.
        if (value >= 0)
            put(value);
        if (shiftPending) {
            shiftPending = false;
            if (set == Set::A)
                set = Set::B;
            else if (set == Set::B)
                set = Set::A;
        }
    }
    aEmit(int(checksum % 103));
    aEmit(kStopValue);
    return true;
}

} // namespace

std::string_view Code128Pattern(int aValue)
{
    if (aValue < 0 || aValue > kStopValue)
        return {};
    return std::string_view(kPatterns.modules[size_t(aValue)].data(), aValue == kStopValue ? 13 : 11);
}

QString Code128AutoEncode(const QString &aText)
{
    return AutoEncoder(aText).run();
}

std::vector<int> Code128Values(const QString &aData, BarCodeError *aError)
{
    std::vector<int> values;
    if (!scanCode128(aData, aError, [&values](int v) { values.push_back(v); }))
        return {};
    return values;
}

void EncodeCode128(BarCodeSymbol &aSymbol, BarModuleWriter &aWriter, BarCodeError *aError)
{
    if (aSymbol.AutoEncode)
        aSymbol.Data = Code128AutoEncode(aSymbol.Data);
    // The values first (each character of the data gives at most one,
    // besides the check and the stop), then the columns in one pass.
    BarScratch<uint8_t, 256> values(size_t(aSymbol.Data.size()) + 2);
    size_t count = 0;
    BarCodeError error;
    if (!scanCode128(aSymbol.Data, &error, [&values, &count](int v) { values[count++] = uint8_t(v); })) {
        // The dispatch draws nothing for faulty data.
        aSymbol.CodeOK = false;
        if (aError)
            *aError = error;
        return;
    }
    const int64_t narrow = aWriter.narrow();
    const int64_t total = narrow * (11 * int64_t(count) + 2);
    char *p = aWriter.columns().Reserve(total);
    if (!p)
        return;
    for (size_t i = 0; i < count; ++i)
        p = BarModuleWriter::expandModules(p, kPatterns.modules[values[i]].data(), 11, narrow);
    // The stop's last bar.
    BarModuleWriter::expandModules(p, kPatterns.modules[kStopValue].data() + 11, 2, narrow);
    aWriter.columns().Commit(total);
}

} // namespace report
