#pragma once

// The borderless pop-up that shows a cell's text when it does not fit. It
// never takes the focus and lets the mouse through to what is below.

#include "platform/gfx/GdiObjects.h"

#include <QString>
#include <QWidget>

namespace classes {
class TFont;
}
namespace gfx {
class Canvas;
class TextMeasurer;
} // namespace gfx

namespace grid {

class TdxContainerHintWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TdxContainerHintWindow(QWidget *parent = nullptr);

    // At a screen point, wrapped at the width of the screen, in the font's
    // face at the system's size.
    void ShowCellHint(const QPoint &point, const QString &text, const classes::TFont &font);
    // maxWidth below 1: the screen's width. useFontSize: the font's size too.
    void ShowCellHintEx(const QPoint &point, int maxWidth, bool useFontSize, const classes::TFont &font,
                        const QString &text);

    const QString &text() const { return m_text; }
    // Text is measured with this; nullptr: the real fonts.
    void setTextMeasurer(const gfx::TextMeasurer *measurer) { m_measurer = measurer; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paint(gfx::Canvas &canvas);
    void passPointerThrough();

    QString m_text;
    const gfx::TextMeasurer *m_measurer = nullptr;
    int m_size = 8; // points
    gfx::FaceName m_fontName;
};

} // namespace grid
