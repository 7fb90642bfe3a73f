#pragma once

// How an editor's frame and content are drawn. The editors draw their own
// frame with these; the grid's cell painter draws a cell's text with the
// same content routine, filling the view data itself.

#include "grid/core/EditViewData.h"

#include "platform/gfx/Canvas.h"

#include <QImage>
#include <QString>

namespace grid {

// The drop shadow: a strip of size at the bottom and one at the right of r.
void FillShadow(gfx::Canvas &canvas, const rtl::TRect &r, int size, const gfx::Brush &brush);

// The border of the view data's style around the info's BorderRect, then the
// shadow when the view data has one.
void DrawEditBorder(gfx::Canvas &canvas, const TdxEditViewInfo &info, const TdxEditViewData &viewData);

// An editor without text: the rectangle filled with the view data's brush
// (nothing while only measuring).
void DrawEditContent(gfx::Canvas &canvas, const rtl::TRect &rect, const TdxEditViewData &viewData);

// The text a text editor shows for the view data's value: case-converted,
// and hidden behind the password character when there is one.
QString TextEditDisplayText(const TdxEditViewData &viewData);

// A text editor's content. When asked to paint a text editor's own window
// it draws nothing and answers false (the editor's window draws its text);
// otherwise it draws the text, or with MeasureOnly fills Height, LineHeight
// and LineCount, and answers true.
bool DrawTextEditContent(gfx::Canvas &canvas, const rtl::TRect &rect, bool forPaint, TdxEditViewData &viewData);

// Copies the bitmap's top-left part to r's place; pixels of the bitmap's
// transparent colour (that of its bottom-left pixel) show the brush.
void DrawTransparentBitmap(gfx::Canvas &canvas, const gfx::Brush &brush, const rtl::TRect &r, const QImage &bitmap);

// Grows the bitmap to at least width x height, keeping what it holds; it
// never shrinks.
void EnsureBitmapSize(QImage &bitmap, int width, int height);

} // namespace grid
