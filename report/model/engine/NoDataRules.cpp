#include "report/model/engine/NoDataRules.h"

#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/reports/CustomReport.h"

#include <memory>

namespace report {

namespace {

IppNoDataMessageFactory *noDataFactory = nullptr;

bool noDataAsks(const TppCustomReport &aReport, TppNoDataBehaviorType aBehavior)
{
    return (aReport.NoDataBehaviors() & (1u << unsigned(aBehavior))) != 0;
}

// Frees the dialog however the handler or the dialog ends.
struct NoDataDialogRelease
{
    void operator()(TppCustomNoDataDialog *aDialog) const { aDialog->Release(); }
};
using NoDataDialogPtr = std::unique_ptr<TppCustomNoDataDialog, NoDataDialogRelease>;

NoDataDialogPtr noDataDialog(TppCustomReport &aReport)
{
    if (!noDataAsks(aReport, TppNoDataBehaviorType::ndMessageDialog))
        return nullptr;
    NoDataDialogPtr dialog(ppCreateForm<TppCustomNoDataDialog>());
    if (dialog) {
        dialog->SetLanguageIndex(aReport.LanguageIndex());
        dialog->SetReport(&aReport);
    }
    return dialog;
}

} // namespace

void ppSetNoDataMessageFactory(IppNoDataMessageFactory *aFactory)
{
    noDataFactory = aFactory;
}

IppNoDataMessageFactory *ppNoDataMessageFactory()
{
    return noDataFactory;
}

void ppNoDataAtStart(TppCustomReport &aReport, bool aShowDialog)
{
    NoDataDialogPtr dialog = noDataDialog(aReport);
    bool show = aShowDialog;
    bool addMessage = false;
    // The handler may free the report: nothing of it is shown then.
    const std::weak_ptr<char> alive = aReport.AliveToken();
    aReport.DoOnNoData(dialog.get(), show, nullptr, addMessage);
    if (dialog && show && !alive.expired())
        dialog->ShowModal();
}

void ppNoDataOnPage(TppCustomReport &aReport, TppPage &aPage, int32_t aPrintLeft, int32_t aPrintableWidth,
                    int32_t aMaxPosition, bool aShowDialog)
{
    const bool onPage = noDataAsks(aReport, TppNoDataBehaviorType::ndMessageOnPage);
    std::unique_ptr<TppDrawCommand> message;
    if (onPage && noDataFactory) {
        TppNoDataMessage text;
        text.text = ppLoadStr(1034);
        text.fontName = QStringLiteral("Arial");
        text.fontSize = 12;
        text.height = ppToMMThousandths(18, TppUnitType::utScreenPixels, TppAxisType::atVertical);
        text.width = ppToMMThousandths(110, TppUnitType::utScreenPixels, TppAxisType::atHorizontal);
        text.left = aPrintLeft + (aPrintableWidth - text.width) / 2;
        text.top = (aMaxPosition - text.height) / 2;
        message.reset(noDataFactory->CreateNoDataMessage(text));
    }
    NoDataDialogPtr dialog = noDataDialog(aReport);
    bool show = aShowDialog;
    bool addMessage = onPage;
    // The handler may free the report, and the page with it.
    const std::weak_ptr<char> alive = aReport.AliveToken();
    aReport.DoOnNoData(dialog.get(), show, message.get(), addMessage);
    if (alive.expired())
        return;
    if (dialog && show)
        dialog->ShowModal();
    if (message && addMessage)
        aPage.AddDrawCommand(message.release());
}

} // namespace report
