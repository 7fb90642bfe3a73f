#include "platform/richedit/RtfReader.h"

#include "platform/richedit/RtfCodePages.h"
#include "platform/richedit/RtfPicture.h"

#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextOption>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>

namespace richedit {

namespace {

// Control words are matched against a long list for every word read: by
// length first, without measuring the literal each time.
template <size_t N>
bool rtfIsWord(const QByteArray &aWord, const char (&aName)[N])
{
    if (aWord.size() != qsizetype(N - 1))
        return false;
    const char *word = aWord.constData();
    for (size_t i = 0; i + 1 < N; ++i)
        if (word[i] != aName[i])
            return false;
    return true;
}

// Longer font names are cut here; no font has one.
constexpr qsizetype rtfMaxFontName = 256;

// Twips per pixel of the document's 96-dpi units.
constexpr double rtfReadTwipsPerPixel = 15.0;

struct RtfCharState
{
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int foreground = -1;
    int background = -1;
    int verticalPosition = 0; // 1 superscript, -1 subscript
    // Hidden text is not kept: a rich edit neither shows, measures nor
    // finds it, and the document has no way to lay out text it skips.
    bool hidden = false;
    bool operator==(const RtfCharState &) const = default;
};

struct RtfParaState
{
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
};

size_t qHash(const RtfCharState &chars, size_t seed = 0)
{
    return qHashMulti(seed, chars.font, chars.halfPoints, chars.bold, chars.italic, chars.underline, chars.strike,
                      chars.foreground, chars.background, chars.verticalPosition, chars.hidden);
}

enum class RtfDestination { Text, Skip, FontTable, ColorTable, Picture };

struct RtfGroupState
{
    RtfCharState chars;
    RtfParaState para;
    RtfDestination destination = RtfDestination::Text;
    int unicodeSkip = 1;
};

struct RtfFont
{
    QString name;
    int codePage = 0; // 0: the document's
};

bool rtfIsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class RtfDocumentReader
{
public:
    RtfDocumentReader(QByteArrayView rtf, QTextDocument &document)
        : m_data(rtf)
        , m_document(document)
        , m_cursor(&document)
    {}

    void read();

private:
    struct Word
    {
        QByteArray name;
        bool hasParam = false;
        int param = 0;
    };

    RtfGroupState &state() { return m_stack.back(); }

    void openGroup();
    void closeGroup();
    void controlWord(const Word &word);
    void textControlWord(const Word &word);
    bool destinationWord(const Word &word);
    void controlSymbol(char c);
    void textByte(char c);
    void textChar(char16_t c);
    void textString(QStringView s);
    void decodeBytes();
    void flushText();
    void paragraphBreak();
    void skipBinary(int count);
    void fontTableByte(char c);
    void finishFontEntry();
    void fontNameBytes();
    void colorTableWord(const Word &word);
    QStringDecoder *decoderFor(int codePage);
    int currentCodePage() const;
    QTextCharFormat charFormat(const RtfCharState &chars) const;
    QTextBlockFormat blockFormat(const RtfParaState &para) const;
    Word readWord();

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    QTextDocument &m_document;
    QTextCursor m_cursor;
    std::vector<RtfGroupState> m_stack;
    int m_overflowDepth = 0;
    bool m_starPending = false;
    int m_skipChars = 0;
    bool m_pendingCellTab = false;

    int m_defaultCodePage = 1252;
    int m_defaultFont = -1;
    QHash<int, RtfFont> m_fonts;
    int m_fontEntry = -1;
    QByteArray m_fontName;
    QString m_fontText;
    QList<QColor> m_colors;
    int m_red = -1, m_green = -1, m_blue = -1;

    QByteArray m_bytes;
    int m_bytesCodePage = 1252;
    QString m_text;
    RtfCharState m_textState;
    QHash<RtfCharState, QTextCharFormat> m_formats;
    std::map<int, std::unique_ptr<QStringDecoder>> m_decoders;

    RtfPictureData m_picture;
    int m_pictureCount = 0;
    qint64 m_picturePixels = 0;
};

void RtfDocumentReader::read()
{
    m_document.clear();
    m_document.setUndoRedoEnabled(false);
    m_cursor = QTextCursor(&m_document);
    m_stack.push_back(RtfGroupState{});
    m_cursor.beginEditBlock();
    const qsizetype n = m_data.size();
    while (m_pos < n) {
        const char c = m_data[m_pos];
        if (c == '{') {
            ++m_pos;
            openGroup();
            continue;
        }
        if (c == '}') {
            ++m_pos;
            closeGroup();
            // The document's own group has closed: what follows is no RTF.
            if (m_stack.size() == 1 && m_overflowDepth == 0)
                break;
            continue;
        }
        if (m_overflowDepth > 0) {
            ++m_pos;
            continue;
        }
        if (c == '\\') {
            ++m_pos;
            if (m_pos >= n)
                break;
            const char next = m_data[m_pos];
            if (rtfIsLetter(next)) {
                const Word word = readWord();
                if (m_skipChars > 0) {
                    --m_skipChars;
                    if (rtfIsWord(word.name, "bin"))
                        skipBinary(word.hasParam ? word.param : 0);
                    continue;
                }
                controlWord(word);
            } else {
                ++m_pos;
                if (m_skipChars > 0 && next != '\r' && next != '\n') {
                    --m_skipChars;
                    if (next == '\'')
                        m_pos = std::min(n, m_pos + 2);
                    continue;
                }
                controlSymbol(next);
            }
            continue;
        }
        ++m_pos;
        if (c == '\r' || c == '\n')
            continue;
        if (m_skipChars > 0) {
            --m_skipChars;
            continue;
        }
        if (c == '\t') {
            if (state().destination == RtfDestination::Text)
                textChar(u'\t');
            continue;
        }
        if (uchar(c) < 0x20)
            continue;
        textByte(c);
    }
    decodeBytes();
    if (state().destination == RtfDestination::Picture || m_stack.size() > 1) {
        // Groups left open close with the input; a picture still open shows.
        while (m_stack.size() > 1)
            closeGroup();
    }
    flushText();
    m_cursor.endEditBlock();
}

RtfDocumentReader::Word RtfDocumentReader::readWord()
{
    Word word;
    const qsizetype n = m_data.size();
    const qsizetype start = m_pos;
    while (m_pos < n && rtfIsLetter(m_data[m_pos]))
        ++m_pos;
    // No known word is longer; the rest of a long one is no name of ours.
    word.name = QByteArray(m_data.data() + start, std::min<qsizetype>(m_pos - start, 32));
    bool negative = false;
    if (m_pos < n && m_data[m_pos] == '-' && m_pos + 1 < n && m_data[m_pos + 1] >= '0' && m_data[m_pos + 1] <= '9') {
        negative = true;
        ++m_pos;
    }
    if (m_pos < n && m_data[m_pos] >= '0' && m_data[m_pos] <= '9') {
        word.hasParam = true;
        int64_t value = 0;
        while (m_pos < n && m_data[m_pos] >= '0' && m_data[m_pos] <= '9') {
            if (value < int64_t(1) << 40)
                value = value * 10 + (m_data[m_pos] - '0');
            ++m_pos;
        }
        value = negative ? -value : value;
        word.param = int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    }
    if (m_pos < n && m_data[m_pos] == ' ')
        ++m_pos;
    return word;
}

void RtfDocumentReader::openGroup()
{
    decodeBytes();
    m_skipChars = 0;
    if (m_overflowDepth > 0 || int(m_stack.size()) > RtfMaxGroupDepth) {
        ++m_overflowDepth;
        return;
    }
    m_stack.push_back(m_stack.back());
    m_starPending = false;
}

void RtfDocumentReader::closeGroup()
{
    decodeBytes();
    m_skipChars = 0;
    m_starPending = false;
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
        return;
    }
    if (m_stack.size() <= 1)
        return;
    const RtfDestination ending = state().destination;
    const RtfGroupState closed = m_stack.back();
    if (m_stack.size() == 2) {
        // The document's group: its paragraph state is the last paragraph's.
        flushText();
        m_cursor.setBlockFormat(blockFormat(closed.para));
    }
    m_stack.pop_back();
    if (ending == RtfDestination::Picture && state().destination != RtfDestination::Picture) {
        flushText();
        const QImage image = RtfPictureImage(m_picture);
        const qint64 pixels = qint64(image.width()) * image.height();
        if (!image.isNull() && !closed.chars.hidden && m_picturePixels + pixels <= RtfMaxDocumentPicturePixels) {
            m_picturePixels += pixels;
            const QString name = QStringLiteral("rtfpict:%1").arg(++m_pictureCount);
            m_document.addResource(QTextDocument::ImageResource, QUrl(name), image);
            QTextImageFormat format;
            format.setName(name);
            const QSizeF size = RtfPictureDisplaySize(m_picture, image);
            format.setWidth(size.width());
            format.setHeight(size.height());
            if (m_pendingCellTab) {
                m_pendingCellTab = false;
                m_cursor.insertText(QStringLiteral("\t"), charFormat(closed.chars));
            }
            m_cursor.insertImage(format);
        }
        m_picture = RtfPictureData{};
    } else if (ending == RtfDestination::FontTable && state().destination == RtfDestination::FontTable) {
        // A font entry of its own group needs no closing semicolon.
        finishFontEntry();
    }
}

void RtfDocumentReader::skipBinary(int count)
{
    const qsizetype left = m_data.size() - m_pos;
    const qsizetype take = std::clamp<qsizetype>(count, 0, left);
    if (state().destination == RtfDestination::Picture && m_picture.bytes.size() + take <= RtfMaxPictureBytes)
        m_picture.bytes.append(m_data.data() + m_pos, take);
    m_pos += take;
}

void RtfDocumentReader::controlWord(const Word &word)
{
    decodeBytes();
    const bool star = m_starPending;
    m_starPending = false;
    if (rtfIsWord(word.name, "bin")) {
        skipBinary(word.hasParam ? word.param : 0);
        return;
    }
    if (destinationWord(word))
        return;
    if (star) {
        // An ignorable destination this reader does not know.
        state().destination = RtfDestination::Skip;
        return;
    }
    switch (state().destination) {
    case RtfDestination::Skip: return;
    case RtfDestination::FontTable:
        if (rtfIsWord(word.name, "f")) {
            finishFontEntry();
            m_fontEntry = word.param;
        } else if (rtfIsWord(word.name, "fcharset")) {
            m_fonts[m_fontEntry].codePage = RtfCharsetCodePage(word.param);
        } else if (rtfIsWord(word.name, "cpg")) {
            m_fonts[m_fontEntry].codePage = word.param;
        } else if (rtfIsWord(word.name, "u") || rtfIsWord(word.name, "uc")) {
            textControlWord(word);
        }
        return;
    case RtfDestination::ColorTable: colorTableWord(word); return;
    case RtfDestination::Picture: RtfPictureWord(m_picture, word.name, word.hasParam, word.param); return;
    case RtfDestination::Text: textControlWord(word); return;
    }
}

bool RtfDocumentReader::destinationWord(const Word &word)
{
    // 1: handled here, 2: skipped whole.
    static const QHash<QByteArray, int> destinations = [] {
        QHash<QByteArray, int> kinds;
        for (const char *name : {"fonttbl", "colortbl", "pict", "pntext", "fldrslt", "shppict", "result"})
            kinds.insert(name, 1);
        for (const char *name : {"stylesheet",        "info",      "header",     "headerl",
                                 "headerr",           "headerf",   "footer",     "footerl",
                                 "footerr",           "footerf",   "pn",         "listtable",
                                 "listoverridetable", "fldinst",   "xe",         "tc",
                                 "bkmkstart",         "bkmkend",   "themedata",  "colorschememapping",
                                 "latentstyles",      "datastore", "nonshppict", "objdata",
                                 "generator",         "filetbl",   "revtbl",     "rsidtbl",
                                 "xmlnstbl",          "mmathPr",   "pgdsctbl",   "footnote",
                                 "annotation",        "atnid",     "atnauthor",  "private",
                                 "userprops",         "template",  "listtext",   "fchars"})
            kinds.insert(name, 2);
        return kinds;
    }();
    const int kind = destinations.value(word.name);
    if (kind == 0)
        return false;
    if (kind == 2) {
        state().destination = RtfDestination::Skip;
        return true;
    }
    if (rtfIsWord(word.name, "fonttbl")) {
        state().destination = RtfDestination::FontTable;
        m_fontEntry = -1;
        m_fontName.clear();
        m_fontText.clear();
        return true;
    }
    if (rtfIsWord(word.name, "colortbl")) {
        state().destination = RtfDestination::ColorTable;
        m_red = m_green = m_blue = -1;
        return true;
    }
    if (rtfIsWord(word.name, "pict")) {
        if (state().destination != RtfDestination::Text) {
            state().destination = RtfDestination::Skip;
            return true;
        }
        flushText();
        state().destination = RtfDestination::Picture;
        m_picture = RtfPictureData{};
        return true;
    }
    return true;
}

void RtfDocumentReader::colorTableWord(const Word &word)
{
    const int value = std::clamp(word.param, 0, 255);
    if (rtfIsWord(word.name, "red"))
        m_red = value;
    else if (rtfIsWord(word.name, "green"))
        m_green = value;
    else if (rtfIsWord(word.name, "blue"))
        m_blue = value;
}

void RtfDocumentReader::textControlWord(const Word &word)
{
    const QByteArray &w = word.name;
    RtfCharState &chars = state().chars;
    RtfParaState &para = state().para;
    const bool on = !word.hasParam || word.param != 0;
    const auto twips = [&] { return std::clamp(word.param, -31680, 31680); };
    if (rtfIsWord(w, "f"))
        chars.font = word.param;
    else if (rtfIsWord(w, "fs"))
        chars.halfPoints = word.param > 0 ? std::min(word.param, 3276) : 24;
    else if (rtfIsWord(w, "cf"))
        chars.foreground = word.param;
    else if (rtfIsWord(w, "b"))
        chars.bold = on;
    else if (rtfIsWord(w, "i"))
        chars.italic = on;
    else if (rtfIsWord(w, "v"))
        chars.hidden = on;
    else if (rtfIsWord(w, "par") || rtfIsWord(w, "sect") || rtfIsWord(w, "page") || rtfIsWord(w, "row") || rtfIsWord(w, "nestrow")) {
        if (rtfIsWord(w, "row") || rtfIsWord(w, "nestrow"))
            m_pendingCellTab = false; // the row's last cell needs no separator
        paragraphBreak();
    } else if (rtfIsWord(w, "line"))
        textChar(u'\x2028');
    else if (rtfIsWord(w, "tab"))
        textChar(u'\t');
    else if (rtfIsWord(w, "cell") || rtfIsWord(w, "nestcell")) {
        if (m_pendingCellTab)
            textChar(u'\t');
        m_pendingCellTab = true;
    } else if (rtfIsWord(w, "emdash"))
        textChar(u'\x2014');
    else if (rtfIsWord(w, "endash"))
        textChar(u'\x2013');
    else if (rtfIsWord(w, "bullet"))
        textChar(u'\x2022');
    else if (rtfIsWord(w, "lquote"))
        textChar(u'\x2018');
    else if (rtfIsWord(w, "rquote"))
        textChar(u'\x2019');
    else if (rtfIsWord(w, "ldblquote"))
        textChar(u'\x201C');
    else if (rtfIsWord(w, "rdblquote"))
        textChar(u'\x201D');
    else if (rtfIsWord(w, "emspace") || rtfIsWord(w, "enspace") || rtfIsWord(w, "qmspace"))
        textChar(u' ');
    else if (rtfIsWord(w, "u")) {
        int value = word.param;
        if (value < 0)
            value += 65536;
        textChar(char16_t(std::clamp(value, 0, 65535)));
        m_skipChars = state().unicodeSkip;
    } else if (rtfIsWord(w, "uc"))
        state().unicodeSkip = std::clamp(word.param, 0, 1000);
    else if (rtfIsWord(w, "ansicpg"))
        m_defaultCodePage = word.param;
    else if (rtfIsWord(w, "mac"))
        m_defaultCodePage = 10000;
    else if (rtfIsWord(w, "pc"))
        m_defaultCodePage = 437;
    else if (rtfIsWord(w, "pca"))
        m_defaultCodePage = 850;
    else if (rtfIsWord(w, "deff"))
        m_defaultFont = word.param;
    else if (rtfIsWord(w, "plain"))
        chars = RtfCharState{};
    else if (rtfIsWord(w, "strike") || rtfIsWord(w, "striked"))
        chars.strike = on;
    else if (rtfIsWord(w, "ulnone"))
        chars.underline = false;
    else if (w.startsWith("ul") && w != "ulc")
        chars.underline = on;
    else if (rtfIsWord(w, "cb") || rtfIsWord(w, "highlight") || rtfIsWord(w, "chcbpat"))
        chars.background = word.param;
    else if (rtfIsWord(w, "super"))
        chars.verticalPosition = 1;
    else if (rtfIsWord(w, "sub"))
        chars.verticalPosition = -1;
    else if (rtfIsWord(w, "nosupersub"))
        chars.verticalPosition = 0;
    else if (rtfIsWord(w, "pard"))
        para = RtfParaState{};
    else if (rtfIsWord(w, "ql"))
        para.alignment = Qt::AlignLeft;
    else if (rtfIsWord(w, "qc"))
        para.alignment = Qt::AlignHCenter;
    else if (rtfIsWord(w, "qr"))
        para.alignment = Qt::AlignRight;
    else if (rtfIsWord(w, "qj"))
        para.alignment = Qt::AlignJustify;
    else if (rtfIsWord(w, "li") || rtfIsWord(w, "lin"))
        para.leftIndent = twips();
    else if (rtfIsWord(w, "ri") || rtfIsWord(w, "rin"))
        para.rightIndent = twips();
    else if (rtfIsWord(w, "fi"))
        para.firstIndent = twips();
    else if (rtfIsWord(w, "sb"))
        para.spaceBefore = std::max(0, twips());
    else if (rtfIsWord(w, "sa"))
        para.spaceAfter = std::max(0, twips());
    else if (rtfIsWord(w, "sl"))
        para.lineSpacing = twips();
    else if (rtfIsWord(w, "slmult"))
        para.lineMultiple = on;
    else if (rtfIsWord(w, "tqr"))
        para.nextTabType = QTextOption::RightTab;
    else if (rtfIsWord(w, "tqc"))
        para.nextTabType = QTextOption::CenterTab;
    else if (rtfIsWord(w, "tqdec"))
        para.nextTabType = QTextOption::DelimiterTab;
    else if (rtfIsWord(w, "tx") || rtfIsWord(w, "tb")) {
        if (para.tabs.size() < RtfMaxTabStops && word.param >= 0) {
            QTextOption::Tab tab(std::min(word.param, 31680) / rtfReadTwipsPerPixel, para.nextTabType);
            if (tab.type == QTextOption::DelimiterTab)
                tab.delimiter = QLatin1Char('.');
            para.tabs.append(tab);
        }
        para.nextTabType = QTextOption::LeftTab;
    }
}

void RtfDocumentReader::controlSymbol(char c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}': textByte(c); break;
    case '~': textChar(u'\x00A0'); break;
    case '_': textChar(u'\x2011'); break;
    case '*': m_starPending = true; break;
    case '\r':
    case '\n':
        if (state().destination == RtfDestination::Text)
            paragraphBreak();
        break;
    case '\t': textChar(u'\t'); break;
    case '\'': {
        const int hi = m_pos < m_data.size() ? RtfHexValue(m_data[m_pos]) : -1;
        const int lo = m_pos + 1 < m_data.size() ? RtfHexValue(m_data[m_pos + 1]) : -1;
        if (hi >= 0 && lo >= 0) {
            m_pos += 2;
            const char byte = char(hi * 16 + lo);
            // An escaped semicolon belongs to the font's name.
            if (byte == ';' && state().destination == RtfDestination::FontTable)
                m_fontName.append(byte);
            else
                textByte(byte);
            break;
        }
        // Not two hex digits: the escape and what it would have read stand
        // for nothing, short of a group or another control.
        for (int i = 0; i < 2 && m_pos < m_data.size(); ++i) {
            const char next = m_data[m_pos];
            if (next == '{' || next == '}' || next == '\\')
                break;
            ++m_pos;
        }
        break;
    }
    default: break;
    }
}

int RtfDocumentReader::currentCodePage() const
{
    const auto it = m_fonts.constFind(m_stack.back().chars.font);
    if (it != m_fonts.constEnd() && it->codePage != 0)
        return it->codePage;
    return m_defaultCodePage;
}

void RtfDocumentReader::textByte(char c)
{
    switch (state().destination) {
    case RtfDestination::Skip: return;
    case RtfDestination::FontTable: fontTableByte(c); return;
    case RtfDestination::ColorTable:
        if (c == ';') {
            if (m_colors.size() < RtfMaxTableEntries)
                m_colors.append(m_red < 0 && m_green < 0 && m_blue < 0
                                    ? QColor()
                                    : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
            m_red = m_green = m_blue = -1;
        }
        return;
    case RtfDestination::Picture:
        if (m_picture.bytes.size() < RtfMaxPictureBytes)
            RtfPictureHexDigit(m_picture, c);
        return;
    case RtfDestination::Text: break;
    }
    const int codePage = currentCodePage();
    if (uchar(c) < 0x80 && !RtfIsMultiByte(codePage)) {
        decodeBytes();
        textChar(char16_t(uchar(c)));
        return;
    }
    if (!m_bytes.isEmpty() && m_bytesCodePage != codePage)
        decodeBytes();
    m_bytesCodePage = codePage;
    m_bytes.append(c);
}

void RtfDocumentReader::fontTableByte(char c)
{
    if (c == ';') {
        finishFontEntry();
        return;
    }
    if (m_fontName.size() + m_fontText.size() < rtfMaxFontName)
        m_fontName.append(c);
}

void RtfDocumentReader::finishFontEntry()
{
    if (m_fontEntry != -1 || !m_fontName.isEmpty()) {
        if (m_fonts.size() < RtfMaxTableEntries || m_fonts.contains(m_fontEntry)) {
            fontNameBytes();
            m_fonts[m_fontEntry].name = m_fontText.left(rtfMaxFontName).trimmed();
        }
    }
    m_fontEntry = -1;
    m_fontName.clear();
    m_fontText.clear();
}

void RtfDocumentReader::fontNameBytes()
{
    if (m_fontName.isEmpty())
        return;
    const auto it = m_fonts.constFind(m_fontEntry);
    const int codePage = it != m_fonts.constEnd() && it->codePage ? it->codePage : m_defaultCodePage;
    m_fontText.append(decoderFor(codePage)->decode(m_fontName));
    m_fontText.truncate(rtfMaxFontName);
    m_fontName.clear();
}

QStringDecoder *RtfDocumentReader::decoderFor(int codePage)
{
    auto &slot = m_decoders[codePage];
    if (!slot) {
        slot = std::make_unique<QStringDecoder>(RtfCodePageName(codePage), QStringConverter::Flag::Stateless);
        if (!slot->isValid())
            slot = std::make_unique<QStringDecoder>(QStringConverter::Latin1, QStringConverter::Flag::Stateless);
    }
    return slot.get();
}

void RtfDocumentReader::decodeBytes()
{
    if (m_bytes.isEmpty())
        return;
    const QByteArray bytes = std::exchange(m_bytes, QByteArray());
    const QString text = decoderFor(m_bytesCodePage)->decode(bytes);
    textString(text);
}

void RtfDocumentReader::textString(QStringView s)
{
    for (const QChar c : s)
        textChar(c.unicode());
}

void RtfDocumentReader::textChar(char16_t c)
{
    if (state().destination == RtfDestination::FontTable) {
        fontNameBytes();
        if (m_fontText.size() < rtfMaxFontName)
            m_fontText.append(QChar(c));
        return;
    }
    if (state().destination != RtfDestination::Text || m_stack.back().chars.hidden)
        return;
    // The document gives these characters meanings of its own.
    if (c == u'\n' || c == u'\r' || c == u'\x2029') {
        paragraphBreak();
        return;
    }
    if (c == u'\x0B')
        c = u'\x2028';
    else if (c == u'\xFDD0' || c == u'\xFDD1' || c == u'\xFFFC')
        c = u'\xFFFD';
    if (m_pendingCellTab) {
        m_pendingCellTab = false;
        textChar(u'\t');
    }
    const RtfCharState &chars = m_stack.back().chars;
    if (!m_text.isEmpty() && !(chars == m_textState))
        flushText();
    m_textState = chars;
    m_text.append(QChar(c));
}

void RtfDocumentReader::flushText()
{
    if (m_text.isEmpty())
        return;
    // Documents switch among a few formats; each is made once.
    auto format = m_formats.constFind(m_textState);
    if (format == m_formats.constEnd())
        format = m_formats.insert(m_textState, charFormat(m_textState));
    m_cursor.insertText(m_text, *format);
    m_text.clear();
}

void RtfDocumentReader::paragraphBreak()
{
    // A hidden paragraph mark joins its paragraph to the next one.
    if (state().destination != RtfDestination::Text || state().chars.hidden)
        return;
    decodeBytes();
    flushText();
    m_cursor.setBlockFormat(blockFormat(state().para));
    m_cursor.insertBlock();
}

QTextCharFormat RtfDocumentReader::charFormat(const RtfCharState &chars) const
{
    QTextCharFormat format;
    auto font = m_fonts.constFind(chars.font);
    if (font == m_fonts.constEnd() || font->name.isEmpty())
        font = m_fonts.constFind(m_defaultFont);
    const QString family =
        font != m_fonts.constEnd() && !font->name.isEmpty() ? font->name : QStringLiteral("Times New Roman");
    format.setFontFamilies(QStringList{family});
    format.setFontPointSize(chars.halfPoints / 2.0);
    if (chars.bold)
        format.setFontWeight(QFont::Bold);
    if (chars.italic)
        format.setFontItalic(true);
    if (chars.underline)
        format.setFontUnderline(true);
    if (chars.strike)
        format.setFontStrikeOut(true);
    if (chars.foreground >= 0 && chars.foreground < m_colors.size() && m_colors[chars.foreground].isValid())
        format.setForeground(m_colors[chars.foreground]);
    if (chars.background > 0 && chars.background < m_colors.size() && m_colors[chars.background].isValid())
        format.setBackground(m_colors[chars.background]);
    if (chars.verticalPosition > 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (chars.verticalPosition < 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return format;
}

QTextBlockFormat RtfDocumentReader::blockFormat(const RtfParaState &para) const
{
    QTextBlockFormat format;
    format.setAlignment(para.alignment);
    format.setLeftMargin(para.leftIndent / rtfReadTwipsPerPixel);
    format.setRightMargin(para.rightIndent / rtfReadTwipsPerPixel);
    format.setTextIndent(para.firstIndent / rtfReadTwipsPerPixel);
    format.setTopMargin(para.spaceBefore / rtfReadTwipsPerPixel);
    format.setBottomMargin(para.spaceAfter / rtfReadTwipsPerPixel);
    if (para.lineSpacing > 0 && para.lineMultiple)
        format.setLineHeight(para.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (para.lineSpacing > 0)
        format.setLineHeight(para.lineSpacing / rtfReadTwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else if (para.lineSpacing < 0)
        format.setLineHeight(-para.lineSpacing / rtfReadTwipsPerPixel, QTextBlockFormat::FixedHeight);
    if (!para.tabs.isEmpty())
        format.setTabPositions(para.tabs);
    return format;
}

} // namespace

bool IsRtf(QByteArrayView data)
{
    return data.startsWith("{\\rtf");
}

void ReadRtf(QByteArrayView rtf, QTextDocument &document)
{
    RtfDocumentReader(rtf, document).read();
}

} // namespace richedit
