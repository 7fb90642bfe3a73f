// The band's side in a designer: its control (a bar below the band with
// its caption), its ruler, where its objects' controls stand, its menu and
// its dialogs.

#include "report/model/bands/Band.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"

#include "platform/gfx/Canvas.h"
#include "platform/rtl/Colors.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace report {

namespace {

int bandDesignPixels(int32_t aValue, TppAxisType aAxis)
{
    return ppRound(ppFromMMThousandths(aValue, TppUnitType::utScreenPixels, aAxis));
}

} // namespace

void TppBand::SetCaption(const QString &aCaption)
{
    m_caption = aCaption;
    if (m_bandDesignControl)
        m_bandDesignControl->Invalidate();
}

int TppBand::spHeight() const
{
    return bandDesignPixels(m_mmHeight, TppAxisType::atVertical);
}

void TppBand::SetBandDesignControl(std::unique_ptr<IppDesignControl> aControl)
{
    ppAdoptDesignControl(m_bandDesignControl, std::move(aControl));
}

void TppBand::SetDesignRuler(std::unique_ptr<IppDesignControl> aRuler)
{
    ppAdoptDesignControl(m_designRuler, std::move(aRuler));
}

void TppBand::CreateDesignControl()
{
    if (m_bandDesignControl || !m_report || !m_report->Designer() || m_report->MainReportPrinting())
        return;
    if (!HasCommunicatorState(ppState::Design))
        IncludeState(ppState::Design);
    SendDesignerMessage(ppDesignerMsg::CreateBandDesignControl, this);
    if (IppDesignControl *control = m_bandDesignControl.get()) {
        IppPopupMenu *menu =
            m_report->PopupMenuOf(ClassName(), true, [this](IppPopupMenu &aMenu) { BuildPopupMenu(aMenu); });
        ppBindPopupMenu(*control, menu, this, [this](IppPopupMenu &aMenu) { UpdatePopupMenu(aMenu); });
        control->OnPaint = [this](gfx::Canvas &aCanvas) { PaintBandDesignControl(aCanvas); };
    }
    for (TppComponent *object : std::vector<TppComponent *>(m_objects))
        object->CreateDesignControl();
    m_designPositions.clear();
    for (TppComponent *object : m_objects)
        if (object->DesignControl())
            RecordDesignPosition(object);
    UpdateLayout();
    placeBandDesignControls();
}

void TppBand::FreeDesignControl()
{
    ExcludeState(ppState::Design);
    for (TppComponent *object : std::vector<TppComponent *>(m_objects))
        object->FreeDesignControl();
    SetBandDesignControl(nullptr);
    SetDesignRuler(nullptr);
    m_designPositions.clear();
    // A band a report itself owns (one its designer made) leaves the
    // report's components with its bar.
    if (classes::TComponent *owner = Owner(); owner && dynamic_cast<IppReportContext *>(owner))
        owner->RemoveComponent(this);
}

void TppBand::SetDesignOffset(int aOffset)
{
    m_designOffset = aOffset;
    placeBandDesignControls();
    for (TppComponent *object : m_objects)
        object->PositionDesignControl();
}

// The ruler runs beside the band, the bar sits below it, as wide as the
// band prints (one pixel more for a band as wide as the page).
void TppBand::placeBandDesignControls()
{
    const int height = spHeight();
    if (m_designRuler) {
        rtl::TRect ruler = m_designRuler->DesignBounds();
        ruler.Top = m_designOffset;
        ruler.Bottom = m_designOffset + height;
        m_designRuler->SetDesignBounds(ruler);
        m_designRuler->SetDesignVisible(true);
    }
    if (m_bandDesignControl) {
        rtl::TRect bar = m_bandDesignControl->DesignBounds();
        const int barHeight = bar.Bottom - bar.Top;
        bar.Top = m_designOffset + height;
        bar.Bottom = bar.Top + barHeight;
        if (m_report) {
            const bool columnBand = m_report->Columns() > 1 && UsesColumnWidth();
            bar.Right = bar.Left + bandDesignPixels(BandWidth(), TppAxisType::atHorizontal) + (columnBand ? 0 : 1);
        }
        m_bandDesignControl->SetDesignBounds(bar);
        m_bandDesignControl->SetDesignVisible(true);
    }
}

void TppBand::forgetDesignPosition(const TppComponent *aObject)
{
    std::erase_if(m_designPositions, [aObject](const auto &aEntry) { return aEntry.second == aObject; });
}

void TppBand::RecordDesignPosition(TppComponent *aObject)
{
    forgetDesignPosition(aObject);
    IppDesignControl *control = aObject ? aObject->DesignControl() : nullptr;
    if (!control || IndexOfObject(aObject) < 0)
        return;
    const int bottom = control->DesignBounds().Bottom;
    const auto at = std::upper_bound(m_designPositions.begin(), m_designPositions.end(), bottom,
                                     [](int aBottom, const auto &aEntry) { return aBottom < aEntry.first; });
    m_designPositions.insert(at, {bottom, aObject});
}

std::vector<TppComponent *> TppBand::DesignPositions() const
{
    std::vector<TppComponent *> objects;
    for (const auto &entry : m_designPositions)
        objects.push_back(entry.second);
    return objects;
}

void TppBand::PaintBandDesignControl(gfx::Canvas &aCanvas)
{
    const QPaintDevice *device = aCanvas.painter().device();
    const rtl::TRect client{0, 0, device ? device->width() : 0, device ? device->height() : 0};
    aCanvas.FillRect(client, gfx::Brush::solid(rtl::clBtnFace));
    aCanvas.setBkMode(gfx::BkMode::Transparent);
    aCanvas.TextOut(0, 0, QString(QStringLiteral("  ^  ") + m_caption));
}

void TppBand::BuildPopupMenu(IppPopupMenu &aMenu)
{
    aMenu.AddItem(10, QStringLiteral("DynamicHeight"), 232, QString());
    aMenu.AddItem(10, QStringLiteral("StaticHeight"), 242, QString());
    aMenu.AddItem(20, QStringLiteral("mniLine1"), 0, QStringLiteral("-"));
    aMenu.AddItem(30, QStringLiteral("CalcOrder"), 693, QString());
    aMenu.AddItem(30, QStringLiteral("Position"), 386, QString());
    aMenu.AddItem(30, QStringLiteral("Visible"), 247, QString());
}

void TppBand::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("DynamicHeight"))) {
        item->SetChecked(m_printHeight == TppPrintHeightType::phDynamic);
        item->SetOnClick([this] { SetPrintHeight(TppPrintHeightType::phDynamic); });
    }
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("StaticHeight"))) {
        item->SetChecked(m_printHeight == TppPrintHeightType::phStatic);
        item->SetOnClick([this] { SetPrintHeight(TppPrintHeightType::phStatic); });
    }
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("CalcOrder")))
        item->SetOnClick([this] { showCalcOrderDialog(); });
    if (IppMenuItem *item = aMenu.ItemByName(QStringLiteral("Position")))
        item->SetOnClick([this] { showBandPositionDialog(); });
}

void TppBand::showCalcOrderDialog()
{
    TppFormHandle<TppCustomCalcOrderDialog> dialog(ppCreateForm<TppCustomCalcOrderDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(LanguageIndex());
    dialog->SetReport(m_report ? m_report->ReportObject() : nullptr);
    dialog->Band = this;
    dialog->ShowModal();
}

void TppBand::showBandPositionDialog()
{
    TppFormHandle<TppCustomBandPositionDialog> dialog(ppCreateForm<TppCustomBandPositionDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(LanguageIndex());
    dialog->SetReport(m_report ? m_report->ReportObject() : nullptr);
    dialog->Band = this;
    dialog->Units = m_units;
    dialog->Height = Height();
    dialog->BottomOffset = BottomOffset();
    dialog->PrintPosition = PrintPosition();
    dialog->PrintCount = m_printCount;
    dialog->OnApply = [this](TppCustomBandPositionDialog &aDialog) {
        SetHeight(aDialog.Height);
        SetBottomOffset(aDialog.BottomOffset);
        SetPrintPosition(aDialog.PrintPosition);
        SetPrintCount(aDialog.PrintCount);
    };
    dialog->ShowModal();
    dialog->OnApply = nullptr;
}

} // namespace report
