#include "platform/richedit/RtfWriter.h"

#include <QBuffer>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <QVariant>

#include <cmath>

namespace richedit {

namespace {

constexpr double rtfWriteTwipsPerPixel = 15.0;

int rtfTwips(double pixels)
{
    return int(std::lround(pixels * rtfWriteTwipsPerPixel));
}

QString rtfFamily(const QTextCharFormat &format)
{
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QStringLiteral("Times New Roman") : families.first();
}

class RtfDocumentWriter
{
public:
    explicit RtfDocumentWriter(const QTextDocument &document)
        : m_document(document)
    {}

    QByteArray write();

private:
    void collectTables();
    void writeBlockFormat(const QTextBlockFormat &format);
    void writeCharFormat(const QTextCharFormat &format);
    void writeText(QStringView text);
    void writePicture(const QTextImageFormat &format);
    void number(const char *word, int value);

    const QTextDocument &m_document;
    QByteArray m_out;
    QHash<QString, int> m_fontIndex;
    QStringList m_fonts;
    QHash<QRgb, int> m_colorIndex;
    QList<QRgb> m_colors;
};

void RtfDocumentWriter::number(const char *word, int value)
{
    m_out.append('\\').append(word).append(QByteArray::number(value));
}

void RtfDocumentWriter::collectTables()
{
    const auto addColor = [this](const QBrush &brush) {
        const QRgb rgb = brush.color().rgb() & 0xFFFFFF;
        if (!m_colorIndex.contains(rgb)) {
            m_colorIndex.insert(rgb, int(m_colors.size()) + 1);
            m_colors.append(rgb);
        }
    };
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QString family = rtfFamily(format);
            if (!m_fontIndex.contains(family)) {
                m_fontIndex.insert(family, int(m_fonts.size()));
                m_fonts.append(family);
            }
            if (format.hasProperty(QTextFormat::ForegroundBrush))
                addColor(format.foreground());
            if (format.hasProperty(QTextFormat::BackgroundBrush))
                addColor(format.background());
        }
    }
    if (m_fonts.isEmpty())
        m_fonts.append(QStringLiteral("Times New Roman"));
}

QByteArray RtfDocumentWriter::write()
{
    collectTables();
    m_out.reserve(qsizetype(m_document.characterCount()) * 2 + 256);
    m_out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl");
    for (int i = 0; i < m_fonts.size(); ++i) {
        m_out.append("{");
        number("f", i);
        m_out.append("\\fnil\\fcharset0 ");
        for (const QChar c : m_fonts[i]) {
            if (c == u';')
                m_out.append("\\'3b");
            else if (c.unicode() >= 0x20 && c.unicode() < 0x80)
                writeText(QStringView(&c, 1));
            else { // a font name takes no tab or line control words
                number("u", int(int16_t(c.unicode())));
                m_out.append('?');
            }
        }
        m_out.append(";}");
    }
    m_out.append("}\r\n{\\colortbl ;");
    for (const QRgb rgb : m_colors) {
        number("red", qRed(rgb));
        number("green", qGreen(rgb));
        number("blue", qBlue(rgb));
        m_out.append(';');
    }
    m_out.append("}\r\n");
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        writeBlockFormat(block.blockFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                // One picture per object character the fragment holds.
                for (int i = 0; i < fragment.length(); ++i)
                    writePicture(format.toImageFormat());
                continue;
            }
            writeCharFormat(format);
            writeText(fragment.text());
        }
        if (block.next().isValid())
            m_out.append("\\par\r\n");
    }
    m_out.append("}\r\n");
    return m_out;
}

void RtfDocumentWriter::writeBlockFormat(const QTextBlockFormat &format)
{
    m_out.append("\\pard");
    const Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignJustify)
        m_out.append("\\qj");
    else if (align & Qt::AlignHCenter)
        m_out.append("\\qc");
    else if (align & Qt::AlignRight)
        m_out.append("\\qr");
    else
        m_out.append("\\ql");
    if (const int v = rtfTwips(format.leftMargin()))
        number("li", v);
    if (const int v = rtfTwips(format.rightMargin()))
        number("ri", v);
    if (const int v = rtfTwips(format.textIndent()))
        number("fi", v);
    if (const int v = rtfTwips(format.topMargin()))
        number("sb", v);
    if (const int v = rtfTwips(format.bottomMargin()))
        number("sa", v);
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        number("sl", int(std::lround(format.lineHeight() * 240.0 / 100.0)));
        m_out.append("\\slmult1");
        break;
    case QTextBlockFormat::MinimumHeight: number("sl", rtfTwips(format.lineHeight())); break;
    case QTextBlockFormat::FixedHeight: number("sl", -rtfTwips(format.lineHeight())); break;
    default: break;
    }
    for (const QTextOption::Tab &tab : format.tabPositions()) {
        if (tab.type == QTextOption::RightTab)
            m_out.append("\\tqr");
        else if (tab.type == QTextOption::CenterTab)
            m_out.append("\\tqc");
        else if (tab.type == QTextOption::DelimiterTab)
            m_out.append("\\tqdec");
        number("tx", rtfTwips(tab.position));
    }
    m_out.append(' ');
}

void RtfDocumentWriter::writeCharFormat(const QTextCharFormat &format)
{
    m_out.append("\\plain");
    number("f", m_fontIndex.value(rtfFamily(format)));
    const double points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 12.0;
    number("fs", std::max(1, int(std::lround(points * 2))));
    if (format.fontWeight() >= QFont::Bold)
        m_out.append("\\b");
    if (format.fontItalic())
        m_out.append("\\i");
    if (format.fontUnderline())
        m_out.append("\\ul");
    if (format.fontStrikeOut())
        m_out.append("\\strike");
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        number("cf", m_colorIndex.value(format.foreground().color().rgb() & 0xFFFFFF));
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        number("highlight", m_colorIndex.value(format.background().color().rgb() & 0xFFFFFF));
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        m_out.append("\\super");
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        m_out.append("\\sub");
    m_out.append(' ');
}

void RtfDocumentWriter::writeText(QStringView text)
{
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c >= 0x20 && c < 0x80) {
            if (c == u'\\' || c == u'{' || c == u'}')
                m_out.append('\\');
            m_out.append(char(c));
        } else if (c == u'\t') {
            m_out.append("\\tab ");
        } else if (c == u'\x2028') {
            m_out.append("\\line ");
        } else {
            // One form for every other character: signed 16 bits, with a
            // question mark for readers that know no Unicode.
            number("u", int(int16_t(c)));
            m_out.append('?');
        }
    }
}

void RtfDocumentWriter::writePicture(const QTextImageFormat &format)
{
    const QVariant resource = m_document.resource(QTextDocument::ImageResource, QUrl(format.name()));
    const QImage image = resource.value<QImage>();
    QByteArray png;
    if (!image.isNull()) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    const double w = format.width() > 0 ? format.width() : image.width();
    const double h = format.height() > 0 ? format.height() : image.height();
    m_out.append("{\\pict\\pngblip");
    number("picw", image.width());
    number("pich", image.height());
    number("picwgoal", rtfTwips(w));
    number("pichgoal", rtfTwips(h));
    m_out.append("\r\n");
    static const char hex[] = "0123456789abcdef";
    for (qsizetype i = 0; i < png.size(); ++i) {
        const uchar b = uchar(png[i]);
        m_out.append(hex[b >> 4]).append(hex[b & 15]);
        if (i % 64 == 63)
            m_out.append("\r\n");
    }
    m_out.append("}");
}

} // namespace

QByteArray WriteRtf(const QTextDocument &document)
{
    return RtfDocumentWriter(document).write();
}

} // namespace richedit
