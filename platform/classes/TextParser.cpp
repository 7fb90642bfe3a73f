#include "platform/classes/TextParser.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Streams.h"

#include "platform/rtl/Win1252.h"

#include <limits>

namespace classes {

namespace {

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(int c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(int c)
{
    if (isDigit(c))
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

bool isIdentStart(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isIdentPart(int c)
{
    return isIdentStart(c) || isDigit(c);
}

} // namespace

TParser::TParser(TStream &stream)
    : m_stream(stream)
    , m_buffer(4096)
{}

void TParser::Error(const std::string &message) const
{
    throw EParserError("Line " + std::to_string(m_tokenLine) + ": " + message);
}

void TParser::fill()
{
    m_pos = 0;
    m_end = size_t(std::max<int64_t>(m_stream.Read(m_buffer.data(), int64_t(m_buffer.size())), 0));
    if (m_end == 0)
        m_eof = true;
}

int TParser::peek()
{
    if (m_pos == m_end) {
        if (m_eof)
            return -1;
        fill();
        if (m_end == 0)
            return -1;
    }
    return uint8_t(m_buffer[m_pos]);
}

int TParser::get()
{
    const int c = peek();
    if (c >= 0) {
        ++m_pos;
        if (c == '\n')
            ++m_line;
    }
    return c;
}

bool TParser::TokenSymbolIs(const char *symbol) const
{
    if (m_token != toSymbol)
        return false;
    size_t i = 0;
    for (; symbol[i]; ++i) {
        if (i >= m_text.size())
            return false;
        const char a = m_text[i], b = symbol[i];
        if ((a | 0x20) != (b | 0x20) || !isIdentPart(a))
            return false;
    }
    return i == m_text.size();
}

void TParser::CheckToken(Token token) const
{
    if (m_token == token)
        return;
    switch (token) {
    case toSymbol: Error("Identifier expected");
    case toString: Error("String expected");
    case toInteger: Error("Number expected");
    default: Error("Syntax error");
    }
}

void TParser::CheckChar(char c) const
{
    if (!TokenCharIs(c))
        Error(std::string("'") + c + "' expected");
}

TParser::Token TParser::NextToken()
{
    int c = peek();
    // Every control character counts as blank space, as the class library
    // has it; a NUL does not belong in a text.
    while (c > 0 && c <= ' ') {
        get();
        c = peek();
    }
    m_tokenLine = m_line;
    m_text.clear();
    m_string.clear();
    m_floatType = 0;
    if (c < 0)
        return m_token = toEOF;
    if (c == 0)
        Error("Invalid character");
    if (isIdentStart(c)) {
        while (isIdentPart(peek()))
            m_text.push_back(char(get()));
        return m_token = toSymbol;
    }
    if (isDigit(c) || c == '$' || c == '-' || c == '+') {
        readNumber(get());
        return m_token;
    }
    if (c == '\'' || c == '#') {
        readString(c);
        return m_token = toString;
    }
    if (c >= 0x7F)
        Error("Invalid character");
    m_char = char(get());
    return m_token = toChar;
}

void TParser::readNumber(int first)
{
    bool negative = false;
    int c = first;
    if (c == '-' || c == '+') {
        negative = c == '-';
        m_text.push_back(char(c));
        if (!isDigit(peek()) && peek() != '$') {
            // A lone sign is punctuation ('+' joins string pieces).
            m_text.clear();
            m_char = char(c);
            m_token = toChar;
            return;
        }
        c = get();
    }
    if (c == '$') {
        m_text.push_back('$');
        uint64_t value = 0;
        int digits = 0;
        while (isHexDigit(peek())) {
            const int d = get();
            m_text.push_back(char(d));
            if (value > (std::numeric_limits<uint64_t>::max() >> 4))
                Error("Integer too large");
            value = (value << 4) | uint64_t(hexValue(d));
            ++digits;
        }
        if (digits == 0)
            Error("Hexadecimal digits expected");
        if (value > uint64_t(std::numeric_limits<int64_t>::max()))
            Error("Integer too large");
        m_int = negative ? -int64_t(value) : int64_t(value);
        m_token = toInteger;
        return;
    }
    m_text.push_back(char(c));
    while (isDigit(peek()))
        m_text.push_back(char(get()));
    bool isFloat = false;
    if (peek() == '.') {
        isFloat = true;
        m_text.push_back(char(get()));
        while (isDigit(peek()))
            m_text.push_back(char(get()));
    }
    if (peek() == 'e' || peek() == 'E') {
        isFloat = true;
        m_text.push_back(char(get()));
        if (peek() == '+' || peek() == '-')
            m_text.push_back(char(get()));
        if (!isDigit(peek()))
            Error("Exponent digits expected");
        while (isDigit(peek()))
            m_text.push_back(char(get()));
    }
    const int suffix = peek() | 0x20;
    if (suffix == 's' || suffix == 'c' || suffix == 'd') {
        get();
        m_floatType = char(suffix);
        isFloat = true;
    }
    if (isFloat) {
        m_token = toFloat;
        return;
    }
    // The most negative Int64 has no positive counterpart.
    const uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    uint64_t value = 0;
    for (char d : m_text) {
        if (!isDigit(d))
            continue;
        const uint64_t digit = uint64_t(d - '0');
        if (value > (limit - digit) / 10)
            Error("Integer too large");
        value = value * 10 + digit;
    }
    m_int = negative ? int64_t(0 - value) : int64_t(value);
    m_token = toInteger;
}

void TParser::readString(int first)
{
    int c = first;
    for (;;) {
        if (c == '\'') {
            get();
            for (;;) {
                const int ch = get();
                if (ch < 0 || ch == '\r' || ch == '\n')
                    Error("Unterminated string");
                if (ch == '\'') {
                    if (peek() != '\'')
                        break;
                    get();
                }
                m_string.append(QChar(rtl::AnsiToUnicode(uint8_t(ch))));
            }
        } else if (c == '#') {
            get();
            uint32_t code = 0;
            int digits = 0;
            if (peek() == '$') {
                get();
                while (isHexDigit(peek()) && code <= 0xFFFF) {
                    code = (code << 4) | uint32_t(hexValue(get()));
                    ++digits;
                }
            } else {
                while (isDigit(peek()) && code <= 0xFFFF) {
                    code = code * 10 + uint32_t(get() - '0');
                    ++digits;
                }
            }
            if (digits == 0 || code > 0xFFFF)
                Error("Invalid character code");
            m_string.append(QChar(char16_t(code)));
        } else {
            return;
        }
        c = peek();
    }
}

QByteArray TParser::HexToBinary()
{
    QByteArray data;
    int high = -1;
    for (;;) {
        const int c = get();
        if (c < 0)
            Error("'}' expected");
        if (c == '}')
            break;
        if (c > 0 && c <= ' ')
            continue;
        if (!isHexDigit(c))
            Error("Invalid binary value");
        if (high < 0) {
            high = hexValue(c);
        } else {
            data.append(char((high << 4) | hexValue(c)));
            high = -1;
        }
    }
    if (high >= 0)
        Error("Odd number of hexadecimal digits");
    NextToken();
    return data;
}

} // namespace classes
