// The grid's start-up registration and its release.

#include "grid/core/TreeListColumn.h"
#include "grid/core/TreeListShared.h"
#include "grid/widgets/CursorTable.h"
#include "grid/widgets/TreeListRegistration.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/gfx/ImageList.h"

#include <gtest/gtest.h>

using namespace grid;

TEST(TreeListRegistration, RegistersClassesCursorsAndGlyphsAndReleasesThem)
{
    ASSERT_FALSE(TreeListGridRegistered());
    EXPECT_EQ(CursorFor(crDXTLFullScroll).shape(), Qt::ArrowCursor);
    RegisterTreeListGrid();
    RegisterTreeListGrid(); // a second start-up changes nothing
    EXPECT_EQ(classes::GetClass(u"TdxTreeListColumn"), &TdxTreeListColumn::StaticClass());
    EXPECT_EQ(classes::GetClass(u"tdxtreelistmaskcolumn"), &TdxTreeListMaskColumn::StaticClass());

    for (TCursor number = crDXTLFullScroll; number >= crDXTLMultiDragCopy; --number)
        EXPECT_TRUE(HasCursorEntry(number)) << number;
    EXPECT_TRUE(HasCursorEntry(crDXTLDelete));
    const QCursor pan = CursorFor(crDXTLFullScroll);
    EXPECT_EQ(pan.shape(), Qt::BitmapCursor);
    EXPECT_EQ(pan.hotSpot(), QPoint(16, 16));
    EXPECT_FALSE(pan.pixmap().isNull());
    EXPECT_EQ(CursorFor(-11).shape(), Qt::WaitCursor);
    EXPECT_EQ(CursorFor(crIBeam).shape(), Qt::IBeamCursor);

    EXPECT_EQ(SharedTimers().dragScrollHorizontal, -1);
    EXPECT_EQ(SharedTimers().selection, -1);
    const gfx::ImageList *glyphs = IndicatorGlyphs();
    ASSERT_TRUE(glyphs);
    ASSERT_EQ(glyphs->count(), 5);
    const QImage arrow = glyphs->image(igArrow);
    EXPECT_EQ(glyphs->width(), arrow.width());
    for (int i = 0; i < glyphs->count(); ++i) {
        const QImage glyph = glyphs->image(i);
        EXPECT_EQ(glyph.size(), arrow.size());
        // White is the mask colour: the corner shows through, the mark does not.
        EXPECT_EQ(qAlpha(glyph.pixel(0, 0)), 0) << i;
        int opaque = 0;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x)
                opaque += qAlpha(glyph.pixel(x, y)) == 255 ? 1 : 0;
        EXPECT_GT(opaque, 0) << i;
    }

    ReleaseTreeListGrid();
    EXPECT_FALSE(TreeListGridRegistered());
    EXPECT_EQ(IndicatorGlyphs(), nullptr);
    EXPECT_FALSE(HasCursorEntry(crDXTLFullScroll));
    EXPECT_EQ(classes::GetClass(u"TdxTreeListColumn"), nullptr);
    ReleaseTreeListGrid(); // nothing left to release
}
