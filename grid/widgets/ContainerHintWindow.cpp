#include "grid/widgets/ContainerHintWindow.h"

#include "grid/core/HintPlacement.h"
#include "grid/paint/TextRect.h"

#include "platform/classes/Graphics.h"
#include "platform/controls/PaintCanvas.h"
#include "platform/gfx/Canvas.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace grid {

namespace {

constexpr unsigned HintFormat = gfx::DT_WORDBREAK | gfx::DT_NOPREFIX;

// The size of the status bar's text, which hints use unless told otherwise.
int systemHintSize()
{
    const int size = QApplication::font("QStatusBar").pointSize();
    return size > 0 ? size : 8;
}

} // namespace

TdxContainerHintWindow::TdxContainerHintWindow(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void TdxContainerHintWindow::ShowCellHint(const QPoint &point, const QString &text, const classes::TFont &font)
{
    ShowCellHintEx(point, 0, false, font, text);
}

void TdxContainerHintWindow::ShowCellHintEx(const QPoint &point, int maxWidth, bool useFontSize,
                                            const classes::TFont &font, const QString &text)
{
    m_text = text;
    m_fontName = font.Font().name;
    m_size = useFontSize ? font.Size() : systemHintSize();

    QScreen *screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const rtl::TRect screenRect = screen ? gfx::FromQRect(screen->geometry()) : rtl::TRect{0, 0, 1024, 768};
    if (maxWidth < 1)
        maxWidth = screenRect.Width();

    QImage scratch(1, 1, QImage::Format_RGB32);
    gfx::Canvas canvas(&scratch, m_measurer);
    gfx::Font f;
    f.name = m_fontName;
    f.size = m_size;
    canvas.setFont(f);
    rtl::TRect measured{0, 0, maxWidth, 0};
    canvas.DrawText(m_text, measured, HintFormat | gfx::DT_CALCRECT);

    // A text larger than the screen is cut at its edges: a window as large
    // as the text could need more memory than there is, and X11 makes none
    // beyond 32767 pixels.
    const rtl::TSize size{std::min(measured.Width() + 6, screenRect.Width()),
                          std::min(measured.Height() + 6, screenRect.Height())};
    const rtl::TRect bounds = HintBounds(rtl::TPoint{point.x(), point.y()}, size, screenRect);
    setGeometry(gfx::ToQRect(bounds));
    show();
    passPointerThrough();
    raise();
    update();
}

void TdxContainerHintWindow::passPointerThrough()
{
    // Qt's X11 support leaves a shown tool tip open to the pointer although
    // it was made transparent for input; the flag set again on the shown
    // window holds.
    if (QWindow *native = windowHandle()) {
        native->setFlags(windowFlags() & ~Qt::WindowTransparentForInput);
        native->setFlags(windowFlags());
    }
}

void TdxContainerHintWindow::paintEvent(QPaintEvent *)
{
    gfx::Canvas *current = nullptr;
    controls::paintOnCanvas(*this, m_measurer, current, [this](gfx::Canvas &canvas) { paint(canvas); });
}

void TdxContainerHintWindow::paint(gfx::Canvas &canvas)
{
    const rtl::TRect client{0, 0, width(), height()};
    canvas.FillRect(client, gfx::Brush::solid(rtl::clInfoBk));
    canvas.DrawEdge(client, gfx::BDR_RAISEDOUTER, gfx::BF_RECT);
    rtl::TRect r{client.Left + 1 + 2, client.Top + 1 + 2, client.Right - 1, client.Bottom - 1};
    gfx::Font f;
    f.name = m_fontName;
    f.size = m_size;
    f.color = rtl::clInfoText;
    canvas.setFont(f);
    canvas.setBkMode(gfx::BkMode::Transparent);
    canvas.DrawText(m_text, r, HintFormat | gfx::DT_NOCLIP);
}

} // namespace grid

#include "moc_ContainerHintWindow.cpp"
