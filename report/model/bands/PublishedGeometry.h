// Published names that many report controls share, declared once so that
// every control streams and reads them alike.

#pragma once

#include "report/model/bands/Stretchable.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/data/DataPipeline.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

// Left, Top, Width and Height in the report's units: views of the stored
// thousandths ("mmLeft" and so on), so never written under these names.
template <class C>
void ppPublishBounds(classes::TClassBuilder<C> &c)
{
    c.Single("Height", &C::Height, &C::SetHeight).StoredConst = false;
    c.Single("Left", &C::Left, &C::SetLeft).StoredConst = false;
    c.Single("Top", &C::Top, &C::SetTop).StoredConst = false;
    c.Single("Width", &C::Width, &C::SetWidth).StoredConst = false;
}

// Written as "DataPipelineName"; a stream that names the pipeline here (as
// older ones do, possibly qualified by another module) is resolved with the
// report's pipelines once loaded, as that name always was.
template <class C>
void ppPublishDataPipeline(classes::TClassBuilder<C> &c)
{
    c.Reference(
         "DataPipeline", [](const C &o) { return o.DataPipeline(); },
         [](C &o, TppDataPipeline *aPipeline) { o.SetDataPipeline(aPipeline); })
        .Stored(false)
        .ReadByName([](classes::TPersistent &o, const QString &aName) {
            static_cast<C &>(o).SetDataPipelineName(ppUnqualifiedName(aName));
        });
}

// Stored under its own entry by component name; the target is looked up
// among the band's objects once they are all there. Published by each
// stretchable control rather than by the base, whose class it names.
template <class C>
void ppPublishShiftRelativeTo(classes::TClassBuilder<C> &c)
{
    c.Reference(
         "ShiftRelativeTo", [](const C &o) { return o.ShiftRelativeTo(); },
         [](C &o, TppStretchable *aTarget) { o.SetShiftRelativeTo(aTarget); })
        .Stored(false)
        .ReadByName([](classes::TPersistent &o, const QString &aName) {
            static_cast<C &>(o).SetShiftRelativeToName(ppUnqualifiedName(aName));
        });
}

} // namespace report
