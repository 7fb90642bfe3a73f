#include "platform/controls/CursorPicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace controls {

namespace {

constexpr int Size = 40; // the hot spot is the centre

void outline(QPainter &p, const QPainterPath &path)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

void arrow(QPainter &p)
{
    QPainterPath path;
    path.addPolygon(QPolygonF({{0, 0}, {0, 15}, {4, 11}, {7, 17}, {9, 16}, {6, 10}, {11, 10}, {0, 0}}));
    outline(p, path);
}

// A line through the hot spot at the angle, with a head at each end (or
// only the far one).
void doubleArrow(QPainter &p, qreal angle, bool bothEnds = true)
{
    p.save();
    p.rotate(angle);
    QPainterPath path;
    path.addPolygon(QPolygonF({{-1, 9}, {-1, -6}, {-4, -6}, {0, -10}, {4, -6}, {1, -6}, {1, 9}, {-1, 9}}));
    if (bothEnds)
        path.addPolygon(QPolygonF({{-1, 6}, {-4, 6}, {0, 10}, {4, 6}, {1, 6}}));
    outline(p, path.simplified());
    p.restore();
}

void forbidden(QPainter &p)
{
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), 8, 8);
    p.drawLine(QPointF(-6, -6), QPointF(6, 6));
}

void hourGlass(QPainter &p, QPointF at, qreal scale)
{
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    QPainterPath path;
    path.addPolygon(QPolygonF({{-6, -8}, {6, -8}, {1, 0}, {6, 8}, {-6, 8}, {-1, 0}, {-6, -8}}));
    outline(p, path);
    p.restore();
}

void page(QPainter &p, QPointF at)
{
    QPainterPath path;
    path.addRect(QRectF(at, QSizeF(8, 10)));
    outline(p, path);
}

} // namespace

QPixmap CursorPicture(TCursor cursor)
{
    QPixmap picture(Size, Size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(Size / 2, Size / 2);
    switch (cursor) {
    case -1: // crNone
        break;
    case -3: // crCross
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(-9, 0, 9, 0);
        p.drawLine(0, -9, 0, 9);
        break;
    case -4: // crIBeam
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(0, -8, 0, 8);
        p.drawLine(-3, -8, 3, -8);
        p.drawLine(-3, 8, 3, 8);
        break;
    case -5:  // crSize
    case -22: // crSizeAll
        doubleArrow(p, 0);
        doubleArrow(p, 90);
        break;
    case -6: // crSizeNESW
        doubleArrow(p, 45);
        break;
    case -7: // crSizeNS
    case -15: // crVSplit
        doubleArrow(p, 0);
        if (cursor == -15) {
            p.fillRect(QRectF(-9, -3, 18, 2), Qt::black);
            p.fillRect(QRectF(-9, 1, 18, 2), Qt::black);
        }
        break;
    case -8: // crSizeNWSE
        doubleArrow(p, -45);
        break;
    case -9: // crSizeWE
    case -14: // crHSplit
        doubleArrow(p, 90);
        if (cursor == -14) {
            p.fillRect(QRectF(-3, -9, 2, 18), Qt::black);
            p.fillRect(QRectF(1, -9, 2, 18), Qt::black);
        }
        break;
    case -10: // crUpArrow
        doubleArrow(p, 0, false);
        break;
    case -11: // crHourGlass
        hourGlass(p, {0, 0}, 1);
        break;
    case -13: // crNoDrop
    case -18: // crNo
        forbidden(p);
        break;
    case -21: { // crHandPoint: the finger tip is the hot spot
        QPainterPath hand;
        hand.addRoundedRect(QRectF(-2, 0, 5, 10), 2, 2);
        hand.addRoundedRect(QRectF(-5, 7, 13, 10), 3, 3);
        outline(p, hand.simplified());
        break;
    }
    default:
        arrow(p);
        if (cursor == -12) { // crDrag
            page(p, {9, 12});
        } else if (cursor == -16) { // crMultiDrag
            page(p, {11, 10});
            page(p, {8, 13});
        } else if (cursor == -17 || cursor == -19) { // crSQLWait, crAppStart
            hourGlass(p, {14, 14}, 0.5);
        } else if (cursor == -20) { // crHelp
            p.setPen(Qt::black);
            p.drawText(QRectF(10, 6, 10, 12), Qt::AlignCenter, QStringLiteral("?"));
        }
        break;
    }
    return picture;
}

} // namespace controls
