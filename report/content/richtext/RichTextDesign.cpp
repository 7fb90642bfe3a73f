// The rich text's menu items in a designer: KeepTogether and Transparent
// for every rich text; Edit opens the registered RTF editor; MailMerge is a
// published property, which the menu shows and toggles itself.

#include "report/content/richtext/RichText.h"

#include "report/model/bands/ReportContext.h"
#include "report/model/forms/DialogBases.h"
#include "report/model/forms/FormClassRegistry.h"

#include "platform/classes/Streams.h"

namespace report {

void TppCustomRichText::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("KeepTogether"), 0, QStringLiteral("Keep Together"));
    aMenu.AddItem(30, QStringLiteral("Transparent"), 246, QString());
}

void TppCustomRichText::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("KeepTogether"), KeepTogether(),
                   [this](bool aValue) { SetKeepTogether(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("Transparent"), Transparent(),
                   [this](bool aValue) { SetTransparent(aValue); });
}

void TppRichText::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomRichText::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("Edit"), 120, QString());
    aMenu.AddItem(30, QStringLiteral("MailMerge"), 502, QString());
}

void TppRichText::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomRichText::UpdatePopupMenu(aMenu);
    ppBindItem(aMenu, QStringLiteral("Edit"), [this] { ShowEditor(); });
}

void TppRichText::ShowEditor()
{
    TppFormHandle<TppCustomRTFEditor> dialog(ppCreateForm<TppCustomRTFEditor>());
    if (!dialog)
        return;
    dialog->SetLanguageIndex(GetLanguageIndex());
    dialog->SetReport(Report() ? Report()->ReportObject() : nullptr);
    classes::TMemoryStream current;
    SaveToRTFStream(current);
    dialog->SetRichText(QByteArray(current.Memory(), qsizetype(current.Size())));
    dialog->SetMailMerge(MailMerge());
    if (dialog->ShowModal() != ppModalResultOK)
        return;
    const QByteArray edited = dialog->RichText();
    classes::TMemoryStream stream;
    stream.WriteBuffer(edited.constData(), edited.size());
    stream.SetPosition(0);
    LoadFromRTFStream(stream);
}

} // namespace report
