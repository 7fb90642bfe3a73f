#pragma once

// The tokenizer of the text form ("object ... end"). It is tolerant in what
// it takes: bytes of strings are Windows-1252, lines may end in LF or CR LF,
// integers may be written in hexadecimal with '$', and #nnn in strings is a
// UTF-16 code unit. Errors raise EParserError naming the line.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace classes {

class TStream;

class TParser
{
public:
    enum Token { toEOF, toSymbol, toString, toInteger, toFloat, toChar };

    explicit TParser(TStream &stream);

    Token NextToken();
    Token CurrentToken() const { return m_token; }
    // The punctuation character of a toChar token.
    char TokenChar() const { return m_char; }
    // The text of a symbol or number token as written.
    const std::string &TokenString() const { return m_text; }
    // The value of a string token.
    const QString &TokenText() const { return m_string; }
    int64_t TokenInt() const { return m_int; }
    // 0 for a plain float, else 's' (Single), 'c' (Currency) or 'd' (Date).
    char FloatType() const { return m_floatType; }
    bool TokenSymbolIs(const char *symbol) const;
    bool TokenCharIs(char c) const { return m_token == toChar && m_char == c; }
    void CheckToken(Token token) const;
    void CheckChar(char c) const;

    // After a '{' token: the hexadecimal digits up to '}' as bytes; the next
    // token is read after the '}'.
    QByteArray HexToBinary();

    int Line() const { return m_line; }
    [[noreturn]] void Error(const std::string &message) const;

private:
    int peek();
    int get();
    void fill();
    void readNumber(int first);
    void readString(int first);

    TStream &m_stream;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_eof = false;
    int m_line = 1;
    int m_tokenLine = 1;

    Token m_token = toEOF;
    char m_char = 0;
    std::string m_text;
    QString m_string;
    int64_t m_int = 0;
    char m_floatType = 0;
};

} // namespace classes
