// The text controls' side in a designer: their menu items and the format
// and memo dialogs.

#include "report/content/text/CustomText.h"
#include "report/content/text/DBText.h"
#include "report/content/text/Memo.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/text/PlainText.h"
#include "report/model/text/TextMarkups.h"

#include "platform/gfx/Canvas.h"

#include "platform/classes/StringList.h"

#include <algorithm>

namespace report {

// ---- Texts -----------------------------------------------------------------------

void TppCustomText::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("AutoSize"), 226, QString());
    aMenu.AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238, QString());
    aMenu.AddItem(30, QStringLiteral("ShiftWithParent"), 240, QString());
    aMenu.AddItem(30, QStringLiteral("Transparent"), 246, QString());
    aMenu.AddItem(30, QStringLiteral("WordWrap"), 248, QString());
}

void TppCustomText::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("AutoSize"), AutoSize(), [this](bool aValue) { SetAutoSize(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("ReprintOnOverFlow"), ReprintOnOverFlow(),
                   [this](bool aValue) { SetReprintOnOverFlow(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("ShiftWithParent"), ShiftWithParent(),
                   [this](bool aValue) { SetShiftWithParent(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("Transparent"), Transparent(),
                   [this](bool aValue) { SetTransparent(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("WordWrap"), WordWrap(), [this](bool aValue) { SetWordWrap(aValue); });
}

void TppCustomText::ShowFormatDialog(int aDataType)
{
    TppFormHandle<TppCustomFormatDialog> dialog(ppCreateForm<TppCustomFormatDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(Report() ? Report()->ReportObject() : nullptr);
    dialog->DataType = aDataType;
    dialog->DisplayFormat = DisplayFormat();
    if (dialog->ShowModal() == ppModalResultOK)
        SetDisplayFormat(dialog->DisplayFormat);
}

void TppDBText::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomText::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("BlankWhenZero"), 227, QString());
    aMenu.AddItem(30, QStringLiteral("DisplayFormat"), 230, QString());
    aMenu.AddItem(30, QStringLiteral("ReprintOnSubsequent"), 239, QString());
    aMenu.AddItem(30, QStringLiteral("ResetGroup"), 1132, QString());
    aMenu.AddItem(30, QStringLiteral("SuppressRepeatedValues"), 245, QString());
}

void TppDBText::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomText::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("BlankWhenZero"), BlankWhenZero(),
                   [this](bool aValue) { SetBlankWhenZero(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("ReprintOnSubsequent"), ReprintOnSubsequent(),
                   [this](bool aValue) { SetReprintOnSubsequent(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("SuppressRepeatedValues"), SuppressRepeatedValues(),
                   [this](bool aValue) { SetSuppressRepeatedValues(aValue); });
    ppBindItem(aMenu, QStringLiteral("DisplayFormat"), [this] { ShowFormatDialog(0); });
    ppBindItem(aMenu, QStringLiteral("ResetGroup"), [this] { ShowResetGroupDialog(); });
}

void TppDBText::ShowResetGroupDialog()
{
    TppFormHandle<TppCustomDBTextDialog> dialog(ppCreateForm<TppCustomDBTextDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(Report() ? Report()->ReportObject() : nullptr);
    offerResetGroups(*dialog);
    if (dialog->ShowModal() == ppModalResultOK)
        takeResetGroup(*dialog);
}

// The report's groups as they stand, not as the dialog may have left its list.
static std::vector<classes::TComponent *> textReportGroups(const IppReportContext *aReport)
{
    std::vector<classes::TComponent *> groups;
    if (aReport)
        for (int i = 0; i < aReport->GroupCount(); ++i)
            if (classes::TComponent *group = aReport->GroupAt(i))
                groups.push_back(group);
    return groups;
}

void TppDBText::offerResetGroups(TppCustomDBTextDialog &aDialog) const
{
    aDialog.Groups = textReportGroups(Report());
    aDialog.ResetGroup = ResetGroup();
}

void TppDBText::takeResetGroup(const TppCustomDBTextDialog &aDialog)
{
    if (!aDialog.ResetGroup) {
        SetResetGroup(nullptr);
        return;
    }
    const std::vector<classes::TComponent *> groups = textReportGroups(Report());
    if (std::find(groups.begin(), groups.end(), aDialog.ResetGroup) != groups.end())
        if (auto *group = dynamic_cast<TppCommunicator *>(aDialog.ResetGroup))
            SetResetGroup(group);
}

// ---- Memos -----------------------------------------------------------------------

void TppCustomMemo::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("CharWrap"), 0, QStringLiteral("Char Wrap"));
    aMenu.AddItem(30, QStringLiteral("KeepTogether"), 0, QStringLiteral("Keep Together"));
    aMenu.AddItem(30, QStringLiteral("ForceJustifyLastLine"), 0, QStringLiteral("Force Justify Last Line"));
    aMenu.AddItem(30, QStringLiteral("Transparent"), 246, QString());
}

// Keeping together and justifying the last line mean something only for a
// memo that stretches, or that is fully justified.
void TppCustomMemo::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("CharWrap"), CharWrap(), [this](bool aValue) { SetCharWrap(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("KeepTogether"), KeepTogether(),
                   [this](bool aValue) { SetKeepTogether(aValue); });
    ppEnableItem(aMenu, QStringLiteral("KeepTogether"), Stretch());
    ppBindFlagItem(aMenu, QStringLiteral("ForceJustifyLastLine"), ForceJustifyLastLine(),
                   [this](bool aValue) { SetForceJustifyLastLine(aValue); });
    ppEnableItem(aMenu, QStringLiteral("ForceJustifyLastLine"), TextAlignment() == TppTextAlignment::taFullJustified);
    ppBindFlagItem(aMenu, QStringLiteral("Transparent"), Transparent(),
                   [this](bool aValue) { SetTransparent(aValue); });
}

// The lines break where they break on paper; when they need more height than
// the control has, they are squeezed together so that all of them show.
void TppCustomMemo::PaintDesignControl(gfx::Canvas &aCanvas)
{
    if (!Band() || !Band()->Report())
        return;
    const rtl::TRect client = GetSpClientRect();
    const gfx::Brush brush = aCanvas.brush();
    if (!Transparent())
        aCanvas.FillRect(client, gfx::Brush::solid(Color()));
    aCanvas.setBrush(gfx::Brush::clear());
    aCanvas.setFont(Font()->Font());
    aCanvas.setBkMode(gfx::BkMode::Transparent);
    const QString text = GetText();
    if (text.isEmpty()) {
        const QString caption = GetCaption();
        aCanvas.SaveDC();
        aCanvas.IntersectClipRect(client);
        aCanvas.TextOut(client.Left, client.Top, QStringView(caption));
        aCanvas.RestoreDC();
    } else {
        QStringList lines;
        qsizetype position = 0;
        wrap(text, {mmLeft(), mmTop(), mmLeft() + mmWidth(), mmTop() + mmHeight()}, position, lines);
        std::vector<int> tabStops;
        int tabCount = 0;
        TppPlainText::GetTabStopArray(TppUnitType::utScreenPixels, m_mmTabStops, tabStops, tabCount, nullptr);
        const int lineHeight = aCanvas.GetTextMetrics().height + spLeading();
        const int count = int(lines.size());
        int squeeze = 0;
        if (lineHeight > 0 && count > 0 && spHeight() / lineHeight < count)
            squeeze = ppRound(double(int64_t(count) * lineHeight - spHeight()) / count);
        const QString markup = TppTextMarkups::NewLineMarkup();
        int y = 0;
        for (QString line : lines) {
            const bool lastOfParagraph = line.contains(markup);
            int x = 0;
            if (TextAlignment() == TppTextAlignment::taFullJustified) {
                if (lastOfParagraph && (!ForceJustifyLastLine() || !line.trimmed().contains(QLatin1Char(' '))))
                    aCanvas.SetTextJustification(0, 0);
                else
                    TppPlainText::JustifyLine(aCanvas, client, line, tabCount, tabStops);
            }
            line.remove(markup);
            const int width = TppPlainText::GetTabbedTextWidth(aCanvas, line, tabCount, tabStops);
            if (TextAlignment() == TppTextAlignment::taRightJustified)
                x = spWidth() - width;
            else if (TextAlignment() == TppTextAlignment::taCentered)
                x = ppRound((spWidth() - width) / 2.0);
            if (width > spWidth()) {
                aCanvas.SaveDC();
                aCanvas.IntersectClipRect({client.Left, y, client.Right, client.Bottom});
                aCanvas.TextOut(x, y, QStringView(line));
                aCanvas.RestoreDC();
            } else {
                aCanvas.TabbedTextOut(x, y, QStringView(line), tabStops);
            }
            y += lineHeight - squeeze;
        }
        aCanvas.SetTextJustification(0, 0);
    }
    aCanvas.FrameRect(client, gfx::Brush::solid(rtl::clBlack));
    aCanvas.setBrush(brush);
}

void TppMemo::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomMemo::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("Lines"), 0, QStringLiteral("Lines..."));
}

void TppMemo::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomMemo::UpdatePopupMenu(aMenu);
    ppBindItem(aMenu, QStringLiteral("Lines"), [this] { ShowLinesDialog(); });
}

void TppMemo::ShowLinesDialog()
{
    if (!Band() || !Band()->Report())
        return;
    TppFormHandle<TppCustomMemoDialog> dialog(ppCreateForm<TppCustomMemoDialog>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(Band()->LanguageIndex());
    QStringList lines;
    for (int i = 0; i < GetLines()->Count(); ++i)
        lines << GetLines()->Strings(i);
    dialog->SetLines(lines);
    if (dialog->ShowModal() != ppModalResultOK)
        return;
    classes::TStringList edited;
    for (const QString &line : dialog->Lines())
        edited.Add(line);
    SetLines(&edited);
    PropertyChange();
}

void TppDBMemo::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomMemo::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("AutoDisplay"), 1138, QString());
    aMenu.AddItem(30, QStringLiteral("SuppressRepeatedValues"), 245, QString());
}

void TppDBMemo::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomMemo::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("AutoDisplay"), AutoDisplay(),
                   [this](bool aValue) { SetAutoDisplay(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("SuppressRepeatedValues"), SuppressRepeatedValues(),
                   [this](bool aValue) { SetSuppressRepeatedValues(aValue); });
}

} // namespace report
