#include "platform/classes/ObjectText.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Extended.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TextParser.h"
#include "platform/classes/ValueReader.h"
#include "platform/classes/Writer.h"

#include "platform/rtl/QtText.h"

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

namespace classes {

namespace {

constexpr int PieceLength = 64;
constexpr int BinaryLineBytes = 32;

// ---- floats as text ---------------------------------------------------------

// The shortest digits that read back to value, written with '.' (and an
// exponent outside 1e-4 .. 1e15), always with a '.' or an 'E' so that the
// text never reads back as an integer.
template <class F>
std::string floatText(F value)
{
    char buffer[80];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view s(buffer, size_t(result.ptr - buffer));
    const size_t e = s.find('e');
    const bool negative = s[0] == '-';
    std::string digits;
    for (char c : s.substr(negative ? 1 : 0, e - (negative ? 1 : 0)))
        if (c != '.')
            digits.push_back(c);
    int exponent = 0;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0), s.data() + s.size(), exponent);
    std::string out = negative ? "-" : "";
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out += "0.";
            out.append(size_t(-exponent - 1), '0');
            out += digits;
        } else {
            if (digits.size() <= size_t(exponent))
                digits.append(size_t(exponent) + 1 - digits.size(), '0');
            out += digits.substr(0, size_t(exponent) + 1);
            const std::string fraction = digits.substr(size_t(exponent) + 1);
            out += '.';
            out += fraction.empty() ? "0" : fraction;
        }
    } else {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return out;
}

std::string currencyText(int64_t raw)
{
    const bool negative = raw < 0;
    const uint64_t magnitude = negative ? uint64_t(0) - uint64_t(raw) : uint64_t(raw);
    std::string out = negative ? "-" : "";
    out += std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (fraction.size() > 1 && fraction.back() == '0')
        fraction.pop_back();
    out += '.';
    out += fraction;
    return out;
}

long double parseExtended(const TParser &parser, const std::string &text)
{
    // from_chars refuses denormals for long double; strtold in the C locale
    // reads them (and always takes '.').
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    char *end = nullptr;
    const long double value = strtold_l(text.c_str(), &end, cLocale);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        parser.Error("Invalid floating-point number " + text);
    return value;
}

template <class F>
F parseFloat(const TParser &parser, const std::string &text)
{
    F value = 0;
    const char *begin = text.data() + (text[0] == '+' ? 1 : 0);
    const auto r = std::from_chars(begin, text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value))
        parser.Error("Invalid floating-point number " + text);
    return value;
}

// Currency x 10000, exactly from the decimal digits; halves round to even.
int64_t parseCurrency(const TParser &parser, const std::string &text)
{
    auto invalid = [&]() { parser.Error("Invalid currency value " + text); };
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    __int128 digits = 0;
    int scale = 0; // value = digits * 10^scale
    int significant = 0;
    bool seenPoint = false;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        if (text[i] == '.') {
            seenPoint = true;
            continue;
        }
        if (digits != 0 || text[i] != '0')
            ++significant;
        if (significant > 30)
            invalid();
        digits = digits * 10 + (text[i] - '0');
        if (seenPoint)
            --scale;
    }
    if (i < text.size()) {
        int exponent = 0;
        const char *begin = text.data() + i + 1 + (text[i + 1] == '+' ? 1 : 0);
        const auto r = std::from_chars(begin, text.data() + text.size(), exponent);
        if (r.ec != std::errc() || exponent > 40 || exponent < -80)
            invalid();
        scale += exponent;
    }
    scale += 4;
    if (digits == 0)
        return 0;
    if (scale > 0) {
        for (; scale > 0; --scale) {
            digits *= 10;
            if (digits > __int128(std::numeric_limits<int64_t>::max()) + 1)
                invalid();
        }
    } else if (scale < 0) {
        if (scale < -38)
            return 0;
        __int128 divisor = 1;
        for (; scale < 0; ++scale)
            divisor *= 10;
        const __int128 quotient = digits / divisor, remainder = digits % divisor;
        digits = quotient;
        if (remainder * 2 > divisor || (remainder * 2 == divisor && (quotient & 1)))
            ++digits;
    }
    if (negative)
        digits = -digits;
    if (digits > std::numeric_limits<int64_t>::max() || digits < std::numeric_limits<int64_t>::min())
        invalid();
    return int64_t(digits);
}

// Words that start or end an object in the text form, and so cannot name a
// property there.
bool isKeyword(std::string_view word)
{
    return SameName(word, "object") || SameName(word, "inherited") || SameName(word, "inline") || SameName(word, "end");
}

// ---- binary to text -------------------------------------------------------

class TextOut
{
public:
    explicit TextOut(TStream &stream)
        : m_stream(stream)
    {
        m_text.reserve(8192);
    }
    void put(std::string_view s)
    {
        m_text += s;
        if (m_text.size() >= 8192)
            flush();
    }
    void put(char c) { m_text += c; }
    void newLine() { put("\r\n"); }
    void indent(int n) { m_text.append(size_t(n), ' '); }
    void flush()
    {
        m_stream.WriteBuffer(m_text.data(), int64_t(m_text.size()));
        m_text.clear();
    }

private:
    TStream &m_stream;
    std::string m_text;
};

class BinaryToText
{
public:
    BinaryToText(TStream &input, TStream &output)
        : m_reader(input)
        , m_out(output)
    {}

    void run()
    {
        m_reader.ReadSignature();
        convertObject(0);
        m_out.flush();
    }

private:
    std::string identifier(bool dotted, bool allowEmpty)
    {
        const std::string name = m_reader.ReadStr();
        if (name.empty() ? !allowEmpty : !IsValidIdent(name, dotted))
            m_reader.StructuralError("Invalid name in the stream");
        return name;
    }

    void convertObject(int indent)
    {
        TValueReader::Level level(m_reader);
        const auto [flags, position] = m_reader.ReadPrefix();
        const std::string className = identifier(false, false);
        const std::string name = identifier(false, true);
        m_out.indent(indent);
        m_out.put((flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline " : "object ");
        if (!name.empty()) {
            m_out.put(name);
            m_out.put(": ");
        }
        m_out.put(className);
        if (flags & ffChildPos) {
            m_out.put(" [");
            m_out.put(std::to_string(position));
            m_out.put(']');
        }
        m_out.newLine();
        while (!m_reader.EndOfList())
            convertProperty(indent + 2);
        m_reader.ReadListEnd();
        while (!m_reader.EndOfList())
            convertObject(indent + 2);
        m_reader.ReadListEnd();
        m_out.indent(indent);
        m_out.put("end");
        m_out.newLine();
    }

    void convertProperty(int indent)
    {
        const std::string name = identifier(true, false);
        if (isKeyword(name.substr(0, name.find('.'))))
            m_reader.StructuralError("Invalid name in the stream");
        m_out.indent(indent);
        m_out.put(name);
        m_out.put(" =");
        convertValue(indent + 2, true);
        m_out.newLine();
    }

    // afterEquals: the value follows "Name =" and needs its leading blank
    // (or, for a long text, a line of its own).
    void convertValue(int indent, bool afterEquals)
    {
        const TValueType type = m_reader.NextValue();
        if (afterEquals && !isText(type))
            m_out.put(' ');
        switch (type) {
        case TValueType::vaList: {
            m_reader.ReadValue();
            TValueReader::Level level(m_reader);
            m_out.put('(');
            while (!m_reader.EndOfList()) {
                m_out.newLine();
                m_out.indent(indent);
                convertValue(indent + 2, false);
            }
            m_reader.ReadListEnd();
            m_out.put(')');
            return;
        }
        case TValueType::vaInt8:
        case TValueType::vaInt16:
        case TValueType::vaInt32:
        case TValueType::vaInt64: m_out.put(std::to_string(m_reader.ReadInt64())); return;
        case TValueType::vaExtended:
        case TValueType::vaDouble: m_out.put(floatText(m_reader.ReadFloat())); return;
        case TValueType::vaSingle:
            m_out.put(floatText(m_reader.ReadSingle()));
            m_out.put('s');
            return;
        case TValueType::vaCurrency:
            m_out.put(currencyText(m_reader.ReadCurrency()));
            m_out.put('c');
            return;
        case TValueType::vaDate:
            m_out.put(floatText(m_reader.ReadDate()));
            m_out.put('d');
            return;
        case TValueType::vaString:
        case TValueType::vaLString:
        case TValueType::vaWString:
        case TValueType::vaUTF8String: convertText(m_reader.ReadString(), indent, afterEquals); return;
        case TValueType::vaIdent: {
            m_reader.ReadValue();
            m_out.put(identifier(true, false));
            return;
        }
        case TValueType::vaFalse:
        case TValueType::vaTrue:
        case TValueType::vaNil:
        case TValueType::vaNull: m_out.put(m_reader.ReadIdent().toStdString()); return;
        case TValueType::vaBinary: convertBinary(m_reader.ReadBinary(), indent); return;
        case TValueType::vaSet: {
            m_reader.ReadValue();
            m_out.put('[');
            bool first = true;
            for (std::string element = m_reader.ReadStr(); !element.empty(); element = m_reader.ReadStr()) {
                if (!IsValidIdent(element))
                    m_reader.StructuralError("Invalid name in the stream");
                if (!first)
                    m_out.put(", ");
                m_out.put(element);
                first = false;
            }
            m_out.put(']');
            return;
        }
        case TValueType::vaCollection: convertCollection(indent); return;
        }
    }

    static bool isText(TValueType t)
    {
        return t == TValueType::vaString || t == TValueType::vaLString || t == TValueType::vaWString ||
               t == TValueType::vaUTF8String;
    }

    void convertText(const QString &text, int indent, bool afterEquals)
    {
        if (afterEquals) {
            if (text.size() > PieceLength) {
                m_out.newLine();
                m_out.indent(indent);
            } else {
                m_out.put(' ');
            }
        }
        if (text.isEmpty()) {
            m_out.put("''");
            return;
        }
        for (qsizetype start = 0; start < text.size(); start += PieceLength) {
            if (start > 0) {
                m_out.put(" +");
                m_out.newLine();
                m_out.indent(indent);
            }
            bool quoted = false;
            const qsizetype end = std::min(text.size(), start + PieceLength);
            for (qsizetype i = start; i < end; ++i) {
                const char16_t c = text[i].unicode();
                if (c >= 0x20 && c < 0x7F) {
                    if (!quoted)
                        m_out.put('\'');
                    quoted = true;
                    if (c == '\'')
                        m_out.put("''");
                    else
                        m_out.put(char(c));
                } else {
                    if (quoted)
                        m_out.put('\'');
                    quoted = false;
                    m_out.put('#');
                    m_out.put(std::to_string(unsigned(c)));
                }
            }
            if (quoted)
                m_out.put('\'');
        }
    }

    void convertBinary(const QByteArray &data, int indent)
    {
        static const char hex[] = "0123456789ABCDEF";
        m_out.put('{');
        for (qsizetype i = 0; i < data.size(); ++i) {
            if (i % BinaryLineBytes == 0) {
                m_out.newLine();
                m_out.indent(indent);
            }
            const uint8_t b = uint8_t(data[i]);
            m_out.put(hex[b >> 4]);
            m_out.put(hex[b & 15]);
        }
        m_out.put('}');
    }

    void convertCollection(int indent)
    {
        m_reader.ReadValue();
        TValueReader::Level level(m_reader);
        m_out.put('<');
        while (!m_reader.EndOfList()) {
            m_out.newLine();
            m_out.indent(indent);
            m_out.put("item");
            const TValueType next = m_reader.NextValue();
            if (next == TValueType::vaInt8 || next == TValueType::vaInt16 || next == TValueType::vaInt32) {
                m_out.put(" [");
                m_out.put(std::to_string(m_reader.ReadInteger()));
                m_out.put(']');
            }
            if (m_reader.ReadValue() != TValueType::vaList)
                m_reader.StructuralError("Invalid collection item");
            m_out.newLine();
            while (!m_reader.EndOfList())
                convertProperty(indent + 2);
            m_reader.ReadListEnd();
            m_out.indent(indent);
            m_out.put("end");
        }
        m_reader.ReadListEnd();
        m_out.put('>');
    }

    TValueReader m_reader;
    TextOut m_out;
};

// ---- text to binary -------------------------------------------------------

class TextToBinary
{
public:
    TextToBinary(TStream &input, TStream &output)
        : m_parser(input)
        , m_writer(output)
    {}

    void run()
    {
        m_writer.WriteSignature();
        m_parser.NextToken();
        convertObject();
        if (m_parser.CurrentToken() != TParser::toEOF)
            m_parser.Error("Text after the end of the object");
        m_writer.FlushBuffer();
    }

private:
    class Level
    {
    public:
        explicit Level(TextToBinary &c)
            : m_c(c)
        {
            if (++m_c.m_depth > MaxNesting)
                m_c.m_parser.Error("Objects, lists or collections nested too deeply");
        }
        ~Level() { --m_c.m_depth; }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;

    private:
        TextToBinary &m_c;
    };

    bool atObject() const
    {
        return m_parser.TokenSymbolIs("object") || m_parser.TokenSymbolIs("inherited") ||
               m_parser.TokenSymbolIs("inline");
    }

    std::string symbol()
    {
        m_parser.CheckToken(TParser::toSymbol);
        std::string s = m_parser.TokenString();
        m_parser.NextToken();
        return s;
    }

    // An identifier with optional ".part"s.
    std::string dottedSymbol()
    {
        std::string s = symbol();
        while (m_parser.TokenCharIs('.')) {
            m_parser.NextToken();
            s += '.';
            s += symbol();
        }
        if (s.size() > 255)
            m_parser.Error("Name longer than 255 characters");
        return s;
    }

    void convertObject()
    {
        Level level(*this);
        if (!atObject())
            m_parser.Error("'object' expected");
        uint8_t flags = 0;
        if (m_parser.TokenSymbolIs("inherited"))
            flags |= ffInherited;
        else if (m_parser.TokenSymbolIs("inline"))
            flags |= ffInline;
        m_parser.NextToken();
        std::string name, className;
        if (m_parser.TokenCharIs(':')) {
            m_parser.NextToken();
            className = symbol();
        } else {
            className = symbol();
            if (m_parser.TokenCharIs(':')) {
                m_parser.NextToken();
                name = className;
                className = symbol();
            }
        }
        int32_t position = 0;
        if (m_parser.TokenCharIs('[')) {
            m_parser.NextToken();
            m_parser.CheckToken(TParser::toInteger);
            const int64_t p = m_parser.TokenInt();
            if (p < std::numeric_limits<int32_t>::min() || p > std::numeric_limits<int32_t>::max())
                m_parser.Error("Child position out of range");
            position = int32_t(p);
            flags |= ffChildPos;
            m_parser.NextToken();
            m_parser.CheckChar(']');
            m_parser.NextToken();
        }
        if (name.size() > 255 || className.size() > 255)
            m_parser.Error("Name longer than 255 characters");
        m_writer.WriteComponentHeader(flags, position, className, name);
        while (!m_parser.TokenSymbolIs("end") && !atObject())
            convertProperty();
        m_writer.WriteListEnd();
        while (!m_parser.TokenSymbolIs("end"))
            convertObject();
        m_writer.WriteListEnd();
        m_parser.NextToken();
    }

    void convertProperty()
    {
        if (m_parser.CurrentToken() == TParser::toEOF)
            m_parser.Error("'end' expected");
        const std::string name = dottedSymbol();
        if (isKeyword(name.substr(0, name.find('.'))))
            m_parser.Error(name + " cannot name a property");
        m_writer.WriteStr(name);
        m_parser.CheckChar('=');
        m_parser.NextToken();
        convertValue();
    }

    void convertValue(bool inList = false)
    {
        switch (m_parser.CurrentToken()) {
        case TParser::toInteger:
            m_writer.WriteInteger(m_parser.TokenInt());
            m_parser.NextToken();
            return;
        case TParser::toFloat: convertFloat(); return;
        case TParser::toString: {
            QString text = m_parser.TokenText();
            m_parser.NextToken();
            while (m_parser.TokenCharIs('+')) {
                m_parser.NextToken();
                if (m_parser.CurrentToken() != TParser::toString)
                    m_parser.Error("String expected after '+'");
                text += m_parser.TokenText();
                m_parser.NextToken();
            }
            m_writer.WriteString(text);
            return;
        }
        case TParser::toSymbol: {
            const std::string ident = dottedSymbol();
            // Null's value type is also the end of a list.
            if (inList && SameName(ident, "Null"))
                m_parser.Error("Null cannot be an item of a list");
            m_writer.WriteIdent(QString::fromLatin1(ident));
            return;
        }
        case TParser::toChar: break;
        case TParser::toEOF: m_parser.Error("Value expected");
        }
        switch (m_parser.TokenChar()) {
        case '[': convertSet(); return;
        case '(': {
            Level level(*this);
            m_parser.NextToken();
            m_writer.WriteListBegin();
            while (!m_parser.TokenCharIs(')'))
                convertValue(true);
            m_writer.WriteListEnd();
            m_parser.NextToken();
            return;
        }
        case '{': m_writer.WriteBinary(m_parser.HexToBinary()); return;
        case '<': convertCollection(); return;
        default: m_parser.Error("Invalid property value");
        }
    }

    void convertFloat()
    {
        const std::string &text = m_parser.TokenString();
        switch (m_parser.FloatType()) {
        case 's': m_writer.WriteSingle(parseFloat<float>(m_parser, text)); break;
        case 'd': m_writer.WriteDate(parseFloat<double>(m_parser, text)); break;
        case 'c': m_writer.WriteCurrency(parseCurrency(m_parser, text)); break;
        default: m_writer.WriteFloat(parseExtended(m_parser, text)); break;
        }
        m_parser.NextToken();
    }

    void convertSet()
    {
        m_parser.NextToken();
        std::vector<std::string> elements;
        if (!m_parser.TokenCharIs(']')) {
            for (;;) {
                elements.push_back(symbol());
                if (elements.back().size() > 255)
                    m_parser.Error("Name longer than 255 characters");
                if (m_parser.TokenCharIs(']'))
                    break;
                m_parser.CheckChar(',');
                m_parser.NextToken();
            }
        }
        m_parser.NextToken();
        m_writer.WriteSet(elements);
    }

    void convertCollection()
    {
        Level level(*this);
        m_parser.NextToken();
        m_writer.WriteValue(TValueType::vaCollection);
        while (!m_parser.TokenCharIs('>')) {
            if (!m_parser.TokenSymbolIs("item"))
                m_parser.Error("'item' expected");
            m_parser.NextToken();
            if (m_parser.TokenCharIs('[')) {
                m_parser.NextToken();
                m_parser.CheckToken(TParser::toInteger);
                const int64_t order = m_parser.TokenInt();
                if (order < std::numeric_limits<int32_t>::min() || order > std::numeric_limits<int32_t>::max())
                    m_parser.Error("Item order out of range");
                m_writer.WriteInteger(order);
                m_parser.NextToken();
                m_parser.CheckChar(']');
                m_parser.NextToken();
            }
            m_writer.WriteListBegin();
            while (!m_parser.TokenSymbolIs("end"))
                convertProperty();
            m_writer.WriteListEnd();
            m_parser.NextToken();
        }
        m_writer.WriteListEnd();
        m_parser.NextToken();
    }

    TParser m_parser;
    TWriter m_writer;
    int m_depth = 0;
};

} // namespace

void ObjectBinaryToText(TStream &input, TStream &output)
{
    BinaryToText(input, output).run();
}

void ObjectTextToBinary(TStream &input, TStream &output)
{
    TextToBinary(input, output).run();
}

} // namespace classes
