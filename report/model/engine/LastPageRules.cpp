#include "report/model/engine/LastPageRules.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include <algorithm>

namespace report {

namespace {

TppBand *lastPageBandOf(TppDrawCommand *aCommand)
{
    auto *component = dynamic_cast<TppComponent *>(aCommand->Component());
    return component ? component->Band() : nullptr;
}

} // namespace

void ppApplyLastPageRules(TppPage &aPage, const std::vector<TppCustomBand *> &aHeaders,
                          const std::vector<TppCustomBand *> &aFooters)
{
    int32_t headerHeight = 0;
    for (TppCustomBand *band : aHeaders)
        if (auto *header = dynamic_cast<TppPageBand *>(band); header && !header->PrintOnLastPage())
            headerHeight = std::max(headerHeight, header->Count() > 0 ? header->mmHeight() : 0);
    std::vector<TppDrawCommand *> removed;
    for (int i = 0; i < aPage.DrawCommandCount(); ++i) {
        TppDrawCommand *command = aPage.DrawCommands(i);
        TppBand *band = lastPageBandOf(command);
        auto *pageBand = dynamic_cast<TppPageBand *>(band);
        if (pageBand && !pageBand->PrintOnLastPage())
            removed.push_back(command);
        else if (headerHeight > 0 && !dynamic_cast<TppTitleBand *>(band) && !dynamic_cast<TppFooterBand *>(band) &&
                 !dynamic_cast<TppColumnFooterBand *>(band))
            command->SetTop(command->Top() - headerHeight);
    }
    for (TppCustomBand *band : aFooters)
        if (auto *footer = dynamic_cast<TppPageBand *>(band); footer && !footer->PrintOnLastPage())
            for (int i = 0; i < aPage.DrawCommandCount(); ++i)
                if (dynamic_cast<TppColumnFooterBand *>(lastPageBandOf(aPage.DrawCommands(i))))
                    aPage.DrawCommands(i)->SetTop(aPage.DrawCommands(i)->Top() + footer->mmHeight());
    for (TppDrawCommand *command : removed)
        delete command;
}

} // namespace report
