#include "grid/widgets/CursorTable.h"

#include <map>

namespace grid {

namespace {

std::map<TCursor, QCursor> &cursorEntries()
{
    static std::map<TCursor, QCursor> entries;
    return entries;
}

// The standard cursor numbers, from crDefault (0) down to crSizeAll (-22).
Qt::CursorShape cursorStandardShape(TCursor number)
{
    static const Qt::CursorShape shapes[] = {
        Qt::ArrowCursor,     Qt::BlankCursor,        Qt::ArrowCursor,    Qt::CrossCursor,     Qt::IBeamCursor,
        Qt::SizeAllCursor,   Qt::SizeBDiagCursor,    Qt::SizeVerCursor,  Qt::SizeFDiagCursor, Qt::SizeHorCursor,
        Qt::UpArrowCursor,   Qt::WaitCursor,         Qt::DragCopyCursor, Qt::ForbiddenCursor, Qt::SplitHCursor,
        Qt::SplitVCursor,    Qt::DragMoveCursor,     Qt::BusyCursor,     Qt::ForbiddenCursor, Qt::BusyCursor,
        Qt::WhatsThisCursor, Qt::PointingHandCursor, Qt::SizeAllCursor,
    };
    const int index = -int(number);
    return index >= 0 && index < int(std::size(shapes)) ? shapes[index] : Qt::ArrowCursor;
}

} // namespace

QCursor CursorFor(TCursor number)
{
    const auto &entries = cursorEntries();
    const auto it = entries.find(number);
    return it != entries.end() ? it->second : QCursor(cursorStandardShape(number));
}

bool HasCursorEntry(TCursor number)
{
    return cursorEntries().contains(number);
}

void SetCursorEntry(TCursor number, const QCursor &cursor)
{
    cursorEntries()[number] = cursor;
}

bool RemoveCursorEntry(TCursor number)
{
    return cursorEntries().erase(number) > 0;
}

} // namespace grid
