#include "report/content/richtext/RTFEngine.h"

#include "platform/richedit/RichEdit.h"
#include "platform/rtl/Rounding.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace report {

namespace {

constexpr int rtfEngineInsetTwips = 45;
constexpr double rtfEngineTwipsPerPixel = 15.0;
// Half an inch, in the layout's pixels.
constexpr double rtfEngineDefaultTab = 48.0;

// Fonts measure at 96 pixels per inch whatever the screen says.
QPaintDevice &rtfEngineLayoutDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }();
    return device;
}

void rtfEnginePrepare(QTextDocument &aDocument, double aWidth)
{
    aDocument.setDocumentMargin(0);
    aDocument.setUseDesignMetrics(true);
    QTextOption option = aDocument.defaultTextOption();
    option.setTabStopDistance(rtfEngineDefaultTab);
    aDocument.setDefaultTextOption(option);
    aDocument.documentLayout()->setPaintDevice(&rtfEngineLayoutDevice());
    aDocument.setTextWidth(aWidth);
}

int rtfEngineLength(const QTextDocument &aDocument)
{
    return aDocument.characterCount() - 1;
}

int rtfEngineLastPosition(const QTextDocument &aDocument, TppCharRange aRange)
{
    const int length = rtfEngineLength(aDocument);
    return aRange.cpMax < 0 ? length : std::min(aRange.cpMax, length);
}

struct RtfEngineLines
{
    int first = 0;          // first position of the first line
    int next = 0;           // first position not laid out
    double top = 0;         // top of the first line, layout pixels
    double bottom = 0;      // bottom of the last whole line
    bool exhausted = false; // every line of the document fitted
};

// Walks the lines from the one holding cpMin while they fit aHeight.
RtfEngineLines rtfEngineWalk(QTextDocument &aDocument, TppCharRange aRange, double aHeight)
{
    const int length = rtfEngineLength(aDocument);
    const int last = rtfEngineLastPosition(aDocument, aRange);
    RtfEngineLines lines;
    lines.next = std::clamp(aRange.cpMin, 0, length);
    QTextBlock block = aDocument.findBlock(lines.next);
    if (!block.isValid())
        return lines;
    QAbstractTextDocumentLayout *engine = aDocument.documentLayout();
    engine->blockBoundingRect(block);
    int firstLine = 0;
    if (block.layout()->lineCount() > 0) {
        const QTextLine line = block.layout()->lineForTextPosition(lines.next - block.position());
        firstLine = line.isValid() ? line.lineNumber() : 0;
    }
    bool started = false;
    for (; block.isValid(); block = block.next(), firstLine = 0) {
        engine->blockBoundingRect(block);
        const QTextLayout *layout = block.layout();
        const double y0 = layout->position().y();
        const int count = layout->lineCount();
        for (int i = firstLine; i < count; ++i) {
            const QTextLine line = layout->lineAt(i);
            const int start = block.position() + line.textStart();
            if (started && start > last)
                return lines;
            const double lineTop = y0 + line.y();
            if (!started) {
                lines.first = start;
                lines.top = lineTop;
                lines.bottom = lineTop;
                started = true;
            }
            const double lineBottom = lineTop + line.height();
            // A hair's tolerance: twips round, lines do not.
            if (lineBottom - lines.top > aHeight + 0.01)
                return lines;
            const int end = i + 1 < count ? block.position() + layout->lineAt(i + 1).textStart()
                                          : block.position() + block.length();
            lines.next = std::min(end, length);
            lines.bottom = lineBottom;
        }
    }
    lines.exhausted = true;
    return lines;
}

// A run of whole paragraphs of a rich edit, copied into a document of its
// own and laid out there. The document layout gives up on a document taller
// than about 8.4 million pixels (INT_MAX / 256, its limit of a height), and
// only goes on stepping a layout it cannot finish: a long text laid out in
// one piece stalled from about 600,000 empty paragraphs. A window is a few
// pages tall, laid out once for the pages that fall in it.
struct RtfEngineWindow : richedit::RichEdit::LayoutCache
{
    QTextDocument document;
    int offset = 0;    // position in the rich edit of the window's first character
    int end = 0;       // position in the rich edit just past its last paragraph
    bool last = false; // holds the rich edit's last paragraph
    double width = 0;
    QFont font;

    bool holds(int aPosition, double aWidth, const QFont &aFont) const
    {
        return aPosition >= offset && aPosition < end && width == aWidth && font == aFont;
    }
};

// What a window takes at most. Its height is bounded from above before it is
// laid out, at half the layout's limit; a page that needs more doubles it all.
struct RtfEngineWindowSize
{
    int paragraphs = 8192;
    int characters = 131072;
    double height = 4.0e6; // layout pixels

    void grow()
    {
        paragraphs = std::min(paragraphs, INT_MAX / 2) * 2;
        characters = std::min(characters, INT_MAX / 2) * 2;
        height *= 2;
    }
};

// No less than the paragraph's height at any width: every character on a
// line of its own, each as tall as its largest font, picture or set line
// height makes one.
double rtfEngineTallestParagraph(const QTextDocument &aSource, const QTextBlock &aBlock)
{
    const auto points = [&](const QTextCharFormat &aFormat) {
        return aFormat.hasProperty(QTextFormat::FontPointSize) ? std::abs(aFormat.fontPointSize())
                                                               : aSource.defaultFont().pointSizeF();
    };
    // Ascent, descent and leading of any font stay within twice its size.
    constexpr double pixelsPerLinePoint = 2 * 96.0 / 72;
    double line = points(aBlock.charFormat()) * pixelsPerLinePoint;
    for (auto it = aBlock.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        line = std::max(line, points(format) * pixelsPerLinePoint);
        if (format.isImageFormat())
            line = std::max(line, format.toImageFormat().height() + points(format) * pixelsPerLinePoint);
    }
    const QTextBlockFormat format = aBlock.blockFormat();
    if (format.lineHeightType() == QTextBlockFormat::ProportionalHeight)
        line *= std::max(1.0, format.lineHeight() / 100);
    else if (format.lineHeightType() != QTextBlockFormat::SingleHeight)
        line = std::max(line, format.lineHeight());
    return line * aBlock.length() + std::max(format.topMargin(), 0.0) + std::max(format.bottomMargin(), 0.0);
}

std::unique_ptr<RtfEngineWindow> rtfEngineCopyWindow(const QTextDocument &aSource, QTextBlock aFirst, double aWidth,
                                                     const RtfEngineWindowSize &aSize)
{
    auto window = std::make_unique<RtfEngineWindow>();
    QTextDocument &document = window->document;
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(aSource.defaultFont());
    document.setDefaultTextOption(aSource.defaultTextOption());
    window->offset = aFirst.position();
    window->width = aWidth;
    window->font = aSource.defaultFont();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    int paragraphs = 0;
    int characters = 0;
    double height = 0;
    QTextBlock block = aFirst;
    for (; block.isValid(); block = block.next(), ++paragraphs) {
        height += rtfEngineTallestParagraph(aSource, block);
        if (paragraphs > 0 &&
            (paragraphs >= aSize.paragraphs || characters >= aSize.characters || height > aSize.height))
            break;
        if (paragraphs == 0) {
            cursor.setBlockFormat(block.blockFormat());
            cursor.setBlockCharFormat(block.charFormat());
        } else {
            cursor.insertBlock(block.blockFormat(), block.charFormat());
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                // Pictures are resources of the document they were read into.
                const QUrl name(format.toImageFormat().name());
                document.addResource(QTextDocument::ImageResource, name,
                                     aSource.resource(QTextDocument::ImageResource, name));
            }
            cursor.insertText(fragment.text(), format);
        }
        window->end = block.position() + block.length();
        characters += block.length();
    }
    cursor.endEditBlock();
    window->last = !block.isValid();
    rtfEnginePrepare(document, aWidth);
    return window;
}

// The text from aFrom, at most aCount characters long, is exactly "\r\n",
// "\n" or "\r".
bool rtfEngineRestIsLineBreak(const richedit::RichEdit &aRichEdit, int aFrom, int aCount)
{
    const int length = aRichEdit.TextLength();
    const int size = std::min<int64_t>(std::max(aCount, 0), std::max(length - aFrom, 0));
    if (size < 1 || size > 2)
        return false;
    QString rest;
    for (int i = 0; i < size; ++i) {
        const QChar c = aRichEdit.Document().characterAt(aFrom + i);
        rest += c == QChar::ParagraphSeparator ? QChar(u'\n') : c;
    }
    return rest == QLatin1String("\n") || rest == QLatin1String("\r\n") || rest == QLatin1String("\r");
}

struct RtfEngineFrame
{
    rtl::TRect twips;
    double width = 0;
    double height = 0;
};

RtfEngineFrame rtfEngineFrame(const rtl::TRect &aRect, const TppRTFDeviceContext &aDC)
{
    RtfEngineFrame frame;
    frame.twips = TppRTFEngine::FormatRect(aRect, aDC.PixelsPerInchX, aDC.PixelsPerInchY);
    frame.width = std::max(1.0, frame.twips.Width() / rtfEngineTwipsPerPixel);
    frame.height = frame.twips.Height() / rtfEngineTwipsPerPixel;
    return frame;
}

void rtfEnginePaint(QTextDocument &aDocument, const TppRTFDeviceContext &aDC, const RtfEngineFrame &aFrame,
                    const RtfEngineLines &aLines)
{
    if (!aDC.Painter || aLines.bottom <= aLines.top)
        return;
    QPainter &painter = *aDC.Painter;
    painter.save();
    painter.translate(aFrame.twips.Left * double(aDC.PixelsPerInchX) / 1440.0,
                      aFrame.twips.Top * double(aDC.PixelsPerInchY) / 1440.0);
    painter.scale(aDC.PixelsPerInchX / 96.0, aDC.PixelsPerInchY / 96.0);
    painter.translate(0, -aLines.top);
    // Italics and overhangs may pass the sides a little; never a line below.
    const QRectF clip(-4, aLines.top, aFrame.width + 8, aLines.bottom - aLines.top);
    painter.setClipRect(clip, Qt::IntersectClip);
    painter.setPen(Qt::black);
    // Line by line, and only the range's: a block cut by the page would put
    // its hidden lines into a PDF's text as well.
    QAbstractTextDocumentLayout *engine = aDocument.documentLayout();
    for (QTextBlock block = aDocument.findBlock(aLines.first); block.isValid() && block.position() < aLines.next;
         block = block.next()) {
        engine->blockBoundingRect(block);
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int start = block.position() + line.textStart();
            if (start >= aLines.first && start < aLines.next)
                line.draw(&painter, layout->position());
        }
    }
    painter.restore();
}

// The lines of the range that fit aHeight, laid out in the window that holds
// cpMin (positions of the window; its offset turns them into the rich
// edit's).
RtfEngineLines rtfEngineLayOut(richedit::RichEdit &aRichEdit, double aWidth, TppCharRange aRange, double aHeight,
                               RtfEngineWindow *&aWindow)
{
    const QTextDocument &source = aRichEdit.Document();
    const int from = std::clamp(aRange.cpMin, 0, rtfEngineLength(source));
    auto *window = dynamic_cast<RtfEngineWindow *>(aRichEdit.CachedLayout());
    RtfEngineWindowSize size;
    for (;;) {
        if (!window || !window->holds(from, aWidth, source.defaultFont())) {
            auto made = rtfEngineCopyWindow(source, source.findBlock(from), aWidth, size);
            window = made.get();
            aRichEdit.SetCachedLayout(std::move(made));
        }
        TppCharRange range{from - window->offset, aRange.cpMax < 0 ? -1 : std::max(aRange.cpMax - window->offset, 0)};
        const RtfEngineLines lines = rtfEngineWalk(window->document, range, aHeight);
        if (window->last || !lines.exhausted) {
            aWindow = window;
            return lines;
        }
        // The page goes on past the window: the next one starts at the page,
        // and is larger when this one did already.
        if (window->offset == source.findBlock(from).position())
            size.grow();
        window = nullptr;
    }
}

int rtfEngineFormatRange(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, bool aRender,
                         TppCharRange aCharRange, const rtl::TRect &aRect)
{
    const RtfEngineFrame frame = rtfEngineFrame(aRect, aDC);
    if (frame.height <= 0)
        return std::clamp(aCharRange.cpMin, 0, rtfEngineLength(aRichEdit.Document()));
    RtfEngineWindow *window = nullptr;
    const RtfEngineLines lines = rtfEngineLayOut(aRichEdit, frame.width, aCharRange, frame.height, window);
    if (aRender)
        rtfEnginePaint(window->document, aDC, frame, lines);
    return window->offset + lines.next;
}

// Every position up to cpMax was laid out. The last paragraph has no break
// of its own, so cpMax is its last character, which a line that did not fit
// would leave out: the first position not laid out has to lie past it.
bool rtfEngineRangeLaidOut(const QTextDocument &aDocument, int aNext, int aCpMax)
{
    return aNext > aCpMax || aNext >= rtfEngineLength(aDocument);
}

QTextCharFormat rtfEngineFormatAt(QTextDocument &aDocument, int aPosition)
{
    QTextCursor cursor(&aDocument);
    cursor.setPosition(std::clamp(aPosition + 1, 0, rtfEngineLength(aDocument)));
    return cursor.charFormat();
}

double rtfEnginePointSize(const QTextDocument &aDocument, const QTextCharFormat &aFormat)
{
    return aFormat.hasProperty(QTextFormat::FontPointSize) ? aFormat.fontPointSize()
                                                           : aDocument.defaultFont().pointSizeF();
}

// The descent of the font at aPoints on the device, in its pixels.
int rtfEngineDescent(const QTextDocument &aDocument, const QTextCharFormat &aFormat, double aPoints,
                     const TppRTFDeviceContext &aDC)
{
    if (!aDC.Printer)
        return 0;
    QFont font = aFormat.font();
    if (aFormat.fontFamilies().toStringList().isEmpty())
        font.setFamilies(QStringList{aDocument.defaultFont().family()});
    font.setPointSizeF(std::max(1.0, std::abs(aPoints)));
    const QFontMetricsF metrics(font, &rtfEngineLayoutDevice());
    return rtl::Round(metrics.descent() * aDC.PixelsPerInchY / 96.0);
}

int rtfEngineCalcLineHeight(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, TppCharRange aCharRange)
{
    QTextDocument &document = aRichEdit.Document();
    const int from = std::clamp(aCharRange.cpMin, 0, rtfEngineLength(document));
    const int to = rtfEngineLastPosition(document, aCharRange);
    double largest = 0;
    QTextCharFormat largestFormat;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= from || fragment.position() > to)
                continue;
            const double size = std::abs(rtfEnginePointSize(document, fragment.charFormat()));
            if (size > largest) {
                largest = size;
                largestFormat = fragment.charFormat();
            }
        }
    }
    if (largest == 0) {
        largestFormat = rtfEngineFormatAt(document, from);
        largest = std::abs(rtfEnginePointSize(document, largestFormat));
    }
    return rtl::Round(largest * aDC.PixelsPerInchY / 72.0) + rtfEngineDescent(document, largestFormat, largest, aDC);
}

int rtfEngineCalcHeight(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, const rtl::TRect &aRect,
                        TppCharRange aCharRange)
{
    QTextDocument &document = aRichEdit.Document();
    const int from = std::clamp(aCharRange.cpMin, 0, rtfEngineLength(document));
    const int to = rtfEngineLastPosition(document, aCharRange);
    // The last character that is no line end or NUL gives the tolerance.
    const QString text = aRichEdit.Text();
    int lastChar = std::min(to, int(text.size()) - 1);
    while (lastChar >= from && (text[lastChar] == u'\n' || text[lastChar] == u'\r' || text[lastChar] == u'\0'))
        --lastChar;
    const QTextCharFormat format = rtfEngineFormatAt(document, std::max(lastChar, from));
    const double points = rtfEnginePointSize(document, format);
    const int tolerance = rtl::Round(std::abs(points) * aDC.PixelsPerInchY / 72.0);
    const int descent = rtfEngineDescent(document, format, points, aDC);

    const int cpMax = aCharRange.cpMax < 0 ? rtfEngineLength(document) : aCharRange.cpMax;
    int low = 0;
    int high = aRect.Height();
    int mid = 0;
    bool fitted = false;
    for (;;) {
        mid = low + (high - low) / 2;
        rtl::TRect tried = aRect;
        tried.Bottom = aRect.Top + mid;
        fitted = rtfEngineRangeLaidOut(aRichEdit.Document(),
                                       rtfEngineFormatRange(aRichEdit, aDC, false, aCharRange, tried), cpMax);
        // A tolerance of 0 pixels would never end on two neighbours.
        if (high - low <= std::max(tolerance, 1))
            break;
        if (fitted)
            high = mid;
        else
            low = mid;
    }
    const int height = fitted ? mid : high;
    if (height <= tolerance)
        return rtfEngineCalcLineHeight(aRichEdit, aDC, aCharRange);
    return height + descent;
}

} // namespace

QMutex &ppRichTextLock()
{
    static QMutex lock;
    return lock;
}

rtl::TRect TppRTFEngine::FormatRect(const rtl::TRect &aRect, int aPixelsPerInchX, int aPixelsPerInchY)
{
    const int64_t x = std::max(1, aPixelsPerInchX);
    const int64_t y = std::max(1, aPixelsPerInchY);
    return rtl::Rect(int(aRect.Left * int64_t(1440) / x + rtfEngineInsetTwips), int(aRect.Top * int64_t(1440) / y),
                     int(aRect.Right * int64_t(1440) / x), int(aRect.Bottom * int64_t(1440) / y));
}

int TppRTFEngine::MMToPixels(int64_t aMMThousandths, int aPixelsPerInch)
{
    return int(std::clamp<int64_t>(aMMThousandths * aPixelsPerInch / 25400, INT32_MIN / 2, INT32_MAX / 2));
}

int TppRTFEngine::FormatRange(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, bool aRender,
                              TppCharRange aCharRange, const rtl::TRect &aRect, const TppRTFDeviceContext &)
{
    QMutexLocker locker(&ppRichTextLock());
    return rtfEngineFormatRange(aRichEdit, aDC, aRender, aCharRange, aRect);
}

int TppRTFEngine::Render(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, TppCharRange aCharRange,
                         const rtl::TRect &aRect, const TppRTFDeviceContext &)
{
    QMutexLocker locker(&ppRichTextLock());
    return rtfEngineFormatRange(aRichEdit, aDC, true, aCharRange, aRect);
}

bool TppRTFEngine::Fit(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, int &aHeightUsed, int &aLastChar,
                       const rtl::TRect &aRect, TppCharRange aCharRange)
{
    QMutexLocker locker(&ppRichTextLock());
    const int cpMax = aCharRange.cpMax < 0 ? rtfEngineLength(aRichEdit.Document()) : aCharRange.cpMax;
    int last = rtfEngineFormatRange(aRichEdit, aDC, false, aCharRange, aRect);
    bool fits = rtfEngineRangeLaidOut(aRichEdit.Document(), last, cpMax);
    if (!fits) {
        last = last - 1;
        aHeightUsed = aRect.Height();
        // Only a line break left over: the text has fitted. The rest is read
        // only when it is short enough to be one: reading the whole text for
        // every page made a long text's pages cost its length each.
        fits = last >= 0 && rtfEngineRestIsLineBreak(aRichEdit, last, cpMax);
    } else {
        aHeightUsed = rtfEngineCalcHeight(aRichEdit, aDC, aRect, aCharRange);
    }
    aLastChar = last;
    return fits;
}

int TppRTFEngine::CalcHeight(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, const rtl::TRect &aRect,
                             TppCharRange aCharRange)
{
    QMutexLocker locker(&ppRichTextLock());
    return rtfEngineCalcHeight(aRichEdit, aDC, aRect, aCharRange);
}

int TppRTFEngine::CalcLineHeight(richedit::RichEdit &aRichEdit, const TppRTFDeviceContext &aDC, TppCharRange aCharRange)
{
    QMutexLocker locker(&ppRichTextLock());
    return rtfEngineCalcLineHeight(aRichEdit, aDC, aCharRange);
}

rtl::TColor TppRTFEngine::SetSelBackColor(richedit::RichEdit &aRichEdit, rtl::TColor aColor, bool &aPlain)
{
    QMutexLocker locker(&ppRichTextLock());
    rtl::TColor former = aRichEdit.SelAttributes().backColor;
    aPlain = true;
    if (former == 0) {
        // No back colour of its own: the control's colour shows through.
        const rtl::TColor own = aRichEdit.Color();
        if (own == 0xFFFFFF) {
            former = 0;
        } else if (own == 0) {
            former = 0xFFFFFF;
        } else {
            former = 0xFFFFFF;
            aPlain = false;
        }
    }
    QTextCursor cursor(&aRichEdit.Document());
    cursor.setPosition(aRichEdit.SelStart());
    cursor.setPosition(aRichEdit.SelStart() + aRichEdit.SelLength(), QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setBackground(QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF));
    cursor.mergeCharFormat(format);
    return former;
}

} // namespace report
