#include "report/output/ReportTextFileDevice.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/base/Utils.h"
#include "report/model/pages/Page.h"
#include "report/model/printing/PageDef.h"
#include "report/model/text/TextDevice.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/StringList.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>

namespace report {

namespace {

// One text on the grid: a draw text, or one wrapped line of one.
struct GridText
{
    QString text;
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    classes::TAlignment alignment = classes::TAlignment::taLeftJustify;
    bool autoSize = false;
    const TppDrawText *source = nullptr;
};

const QString gridTextParagraphMark = QStringLiteral("$\u00b6");

gfx::Font gridCourierFont(int32_t aSize)
{
    gfx::Font font;
    font.name = "Courier New";
    font.size = aSize;
    return font;
}

rtl::TSize gridZeroExtent(TppTextDevice &aDevice, const gfx::Font &aFont)
{
    aDevice.SetFont(aFont);
    return aDevice.Canvas().TextExtent(QStringView(u"0"));
}

// The line being filled: its characters up to the last one written, the
// rest up to its length blanks. Placing a text padded to its field deletes
// the characters the field covers and inserts it, so the line grows when
// the text is wider than what is left; past the line's end the text is
// appended. A field may run past the line's end, as a box ending at the
// page's right edge does by a column or two, and a right-aligned or centred
// text then ends where its field ends. Only a field reaching beyond twice
// the line's length is padded no further than the line's end: such widths
// (a grid of one thousandth per column) would cost gigabytes of blanks, so
// the line costs at most twice its length and its texts. Columns count
// characters, a pair of surrogates being one.
class GridLine
{
public:
    void reset(int32_t aLength)
    {
        m_text.clear();
        m_length = aLength;
        m_limit = 2 * int64_t(aLength);
    }
    void place(int64_t aColumn, const QString &aText, int64_t aFieldWidth, classes::TAlignment aAlignment)
    {
        const qsizetype index = qsizetype(std::min<int64_t>(std::max<int64_t>(aColumn, 1) - 1, m_length));
        const qsizetype rest = m_length - index;
        const int64_t wanted = std::max<int64_t>(aFieldWidth, 0);
        const qsizetype width = qsizetype(
            index + wanted <= m_limit ? wanted : std::min<int64_t>(wanted, std::max(rest, ppCharCount(aText))));
        const QString field = ppPadString(aText, int(width), aAlignment);
        const qsizetype removed = std::min(width, rest);
        const qsizetype written = ppCharCount(m_text);
        if (written < index)
            m_text += QString(index - written, u' ');
        const qsizetype start = ppCharsToUnits(m_text, index);
        const qsizetype end = start + ppCharsToUnits(QStringView(m_text).mid(start), removed);
        m_text.replace(start, end - start, field);
        m_length += width - removed;
    }
    QString trimmed() const
    {
        qsizetype end = m_text.size();
        while (end > 0 && m_text.at(end - 1) == u' ')
            --end;
        return m_text.left(end);
    }

private:
    QString m_text;
    qsizetype m_length = 0;
    int64_t m_limit = 0;
};

} // namespace

const classes::TMetaClass &TppReportTextFileDevice::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TppReportTextFileDevice, TppFileDevice>("TppReportTextFileDevice");
    return meta;
}

TppReportTextFileDevice::TppReportTextFileDevice(classes::TComponent *aOwner)
    : TppFileDevice(aOwner)
{}

QString TppReportTextFileDevice::DeviceDescription(int32_t) const
{
    return ppLoadStr(12);
}

void TppReportTextFileDevice::ReceivePage(TppPage *aPage)
{
    const std::weak_ptr<char> alive = LifeToken();
    TppFileDevice::ReceivePage(aPage);
    if (alive.expired() || !aPage || !Busy() || !PageInRequest())
        return;
    UpdateStatus(aPage);
    if (alive.expired() || SkipPage() || !Busy())
        return;
    WritePage(aPage);
}

std::pair<int32_t, int32_t> TppReportTextFileDevice::gridCell(int32_t aFontSize)
{
    const auto key = std::make_pair(aFontSize, ppScreenPixelsPerInch());
    const auto found = m_cells.find(key);
    if (found != m_cells.end())
        return found->second;
    TppTextDevice device(nullptr);
    const rtl::TSize size = gridZeroExtent(device, gridCourierFont(aFontSize));
    const std::pair<int32_t, int32_t> cell{device.ToMM(size.cx, TppAxisType::atHorizontal),
                                           device.ToMM(size.cy, TppAxisType::atVertical)};
    m_cells.emplace(key, cell);
    return cell;
}

void TppReportTextFileDevice::WritePage(TppPage *aPage)
{
    if (!aPage)
        return;
    std::vector<GridText> items;
    TppTextDevice measure(nullptr);
    const int count = aPage->DrawCommandCount();
    for (int i = 0; i < count; ++i) {
        const auto *drawText = dynamic_cast<const TppDrawText *>(aPage->DrawCommands(i));
        if (!drawText)
            continue;
        GridText item{drawText->Text(),      drawText->Left(),     drawText->Top(), drawText->Width(),
                      drawText->Alignment(), drawText->AutoSize(), drawText};
        const classes::TStringList *wrapped = drawText->WrappedText();
        if (!wrapped || wrapped->Count() == 0) {
            items.push_back(std::move(item));
            continue;
        }
        const rtl::TSize zero = gridZeroExtent(measure, drawText->Font()->Font());
        const int32_t lineHeight = measure.ToMM(zero.cy, TppAxisType::atVertical);
        for (int line = 0; line < wrapped->Count(); ++line) {
            GridText lineItem = item;
            lineItem.text = wrapped->Strings(line);
            lineItem.text.remove(gridTextParagraphMark);
            lineItem.top =
                int32_t(std::clamp<int64_t>(int64_t(item.top) + int64_t(line) * lineHeight, INT32_MIN, INT32_MAX));
            items.push_back(std::move(lineItem));
        }
    }
    if (items.empty())
        return;
    // Numeric and stable, where text keys would put negative positions last.
    std::stable_sort(items.begin(), items.end(), [](const GridText &a, const GridText &b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });

    // Grid.
    if (m_autoFontSize) {
        const int32_t width = gridZeroExtent(measure, items.front().source->Font()->Font()).cx;
        if (width <= gridZeroExtent(measure, gridCourierFont(8)).cx)
            m_gridFontSize = 8;
        else if (width <= gridZeroExtent(measure, gridCourierFont(10)).cx)
            m_gridFontSize = 10;
        else
            m_gridFontSize = 12;
    } else {
        m_gridFontSize = m_fontSize;
    }
    const TppPageDef *pageDef = aPage->PageDef();
    const int32_t pageWidth = pageDef ? std::max(pageDef->mmWidth(), 0) : 0;
    const int32_t pageHeight = pageDef ? std::max(pageDef->mmHeight(), 0) : 0;
    int32_t charWidth = 1;
    int32_t charHeight = 1;
    // A grid of no characters, or a "0" that measures nothing, becomes 1.
    if (m_autoCalcGrid) {
        const std::pair<int32_t, int32_t> cell = gridCell(m_gridFontSize);
        charWidth = std::max(cell.first, 1);
        charHeight = std::max(cell.second, 1);
        m_charsPerLine = std::max(pageWidth / charWidth, 1);
        m_linesPerPage = std::max(pageHeight / charHeight, 1);
    } else {
        m_charsPerLine = std::max(m_charsPerLine, 1);
        m_linesPerPage = std::max(m_linesPerPage, 1);
        charWidth = std::max(pageWidth / m_charsPerLine, 1);
        charHeight = std::max(pageHeight / m_linesPerPage, 1);
    }

    // Walk the rows.
    const bool lastPage = aPage->LastPage();
    QByteArray out;
    GridLine line;
    line.reset(m_charsPerLine);
    int32_t lineNo = 1;
    const auto flush = [&] {
        const QString text = line.trimmed();
        if (!text.isEmpty())
            out += text.toUtf8();
        if (!(lastPage && lineNo == m_linesPerPage))
            out += "\r\n";
        ++lineNo;
        line.reset(m_charsPerLine);
    };
    std::size_t i = 0;
    while (i < items.size() && lineNo <= m_linesPerPage) {
        const GridText &item = items[i];
        // In 64 bits: on a grid of one unit per cell the last position
        // plus one is no 32-bit number.
        const int64_t row = int64_t(item.top) / charHeight + 1;
        if (row < lineNo) {
            // Above the grid: nowhere to put it.
            ++i;
            continue;
        }
        if (row != lineNo) {
            flush();
            continue;
        }
        const int64_t column = int64_t(item.left) / charWidth + 1;
        int64_t fieldWidth = std::max<int64_t>(int64_t(item.width) / charWidth + 1, 1);
        if (item.autoSize)
            fieldWidth = std::max<int64_t>(fieldWidth, ppCharCount(item.text));
        line.place(column, item.text, fieldWidth, item.alignment);
        ++i;
    }
    while (lineNo <= m_linesPerPage)
        flush();
    WriteBuffer(out.constData(), out.size());
}

} // namespace report
