#include "platform/controls/ControlTypes.h"

#include "platform/classes/PropInfo.h"

#include <QLabel>
#include <QVariant>

#include <iterator>

namespace controls {

Qt::LayoutDirection LayoutDirectionOf(TBiDiMode mode)
{
    return mode == TBiDiMode::bdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
}

Qt::CursorShape CursorShapeOf(TCursor cursor)
{
    static const Qt::CursorShape shapes[] = {
        Qt::ArrowCursor,     Qt::BlankCursor,        Qt::ArrowCursor,    Qt::CrossCursor,     Qt::IBeamCursor,
        Qt::SizeAllCursor,   Qt::SizeBDiagCursor,    Qt::SizeVerCursor,  Qt::SizeFDiagCursor, Qt::SizeHorCursor,
        Qt::UpArrowCursor,   Qt::WaitCursor,         Qt::DragCopyCursor, Qt::ForbiddenCursor, Qt::SplitHCursor,
        Qt::SplitVCursor,    Qt::DragMoveCursor,     Qt::BusyCursor,     Qt::ForbiddenCursor, Qt::BusyCursor,
        Qt::WhatsThisCursor, Qt::PointingHandCursor, Qt::SizeAllCursor,
    };
    const int index = -int(cursor);
    return index >= 0 && index < int(std::size(shapes)) ? shapes[index] : Qt::ArrowCursor;
}

const classes::TIdentMap &CursorIdents()
{
    static const classes::TIdentMapEntry names[] = {
        {0, "crDefault"},     {-1, "crNone"},       {-2, "crArrow"},     {-3, "crCross"},
        {-4, "crIBeam"},      {-5, "crSize"},       {-6, "crSizeNESW"},  {-7, "crSizeNS"},
        {-8, "crSizeNWSE"},   {-9, "crSizeWE"},     {-10, "crUpArrow"},  {-11, "crHourGlass"},
        {-12, "crDrag"},      {-13, "crNoDrop"},    {-14, "crHSplit"},   {-15, "crVSplit"},
        {-16, "crMultiDrag"}, {-17, "crSQLWait"},   {-18, "crNo"},       {-19, "crAppStart"},
        {-20, "crHelp"},      {-21, "crHandPoint"}, {-22, "crSizeAll"},
    };
    static const classes::TIdentMap map{std::span<const classes::TIdentMapEntry>(names)};
    return map;
}

namespace {
constexpr char GraphicControlProperty[] = "zvoGraphicControl";
}

void MarkGraphicControl(QWidget *widget)
{
    widget->setProperty(GraphicControlProperty, true);
}

bool IsGraphicControl(const QWidget *widget)
{
    return qobject_cast<const QLabel *>(widget) || widget->property(GraphicControlProperty).toBool();
}

} // namespace controls
