#pragma once

// Custom drawing as the painters ask for it: whether any handler would be
// asked, and the dispatch (the grid's handler first, then the column's; done
// ends the chain). The tree list draws everything itself; the control with
// columns answers from its events.

#include "grid/core/ControlTypes.h"

#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <QString>

namespace classes {
class TFont;
}
namespace gfx {
class Canvas;
}

namespace grid {

class TdxTreeListNode;

class TreeListCustomDrawHooks
{
public:
    virtual ~TreeListCustomDrawHooks() = default;

    virtual bool IsCustomDrawBand() { return false; }
    virtual bool IsCustomDrawCell(int /*column*/) { return false; }
    virtual bool IsCustomDrawHeader(int /*column*/) { return false; }
    virtual void DoCustomDrawBand(int /*position*/, gfx::Canvas * /*canvas*/, const rtl::TRect & /*rect*/,
                                  const rtl::TRect & /*clip*/, QString & /*text*/, rtl::TColor & /*color*/,
                                  classes::TFont * /*font*/, TAlignment & /*alignment*/, bool & /*done*/)
    {}
    virtual void DoCustomDrawCell(gfx::Canvas * /*canvas*/, const rtl::TRect & /*rect*/, TdxTreeListNode * /*node*/,
                                  int /*column*/, bool /*selected*/, bool /*focused*/, bool /*newItemRow*/,
                                  QString & /*text*/, rtl::TColor & /*color*/, classes::TFont * /*font*/,
                                  TAlignment & /*alignment*/, bool & /*done*/)
    {}
    // sorted: 0 none, 1 ascending, 2 descending, as ColumnSortState.
    virtual void DoCustomDrawHeader(int /*column*/, gfx::Canvas * /*canvas*/, const rtl::TRect & /*rect*/,
                                    QString & /*text*/, rtl::TColor & /*color*/, classes::TFont * /*font*/,
                                    TAlignment & /*alignment*/, int & /*sorted*/, bool & /*done*/)
    {}
    // The cells of a footer row: row -1 is the footer panel's, other rows
    // are a node's row footer lines.
    virtual bool IsCustomDrawRowCell(int /*row*/) { return false; }
    virtual void DoCustomDrawRowCell(int /*row*/, gfx::Canvas * /*canvas*/, const rtl::TRect & /*rect*/,
                                     TdxTreeListNode * /*node*/, int /*column*/, QString & /*text*/,
                                     rtl::TColor & /*color*/, classes::TFont * /*font*/, TAlignment & /*alignment*/,
                                     bool & /*done*/)
    {}
    // What a node draws in the header's font and colours.
    virtual bool IsCustomDrawNode() { return false; }
    virtual void DoCustomDrawNode(gfx::Canvas * /*canvas*/, const rtl::TRect & /*rect*/, TdxTreeListNode * /*node*/,
                                  QString & /*text*/, rtl::TColor & /*color*/, classes::TFont * /*font*/,
                                  TAlignment & /*alignment*/, bool & /*done*/)
    {}
    // A notice with two values that draws nothing itself.
    virtual bool IsCustomDrawNotify() { return false; }
    virtual void DoCustomDrawNotify(int /*first*/, int /*second*/) {}
};

} // namespace grid
