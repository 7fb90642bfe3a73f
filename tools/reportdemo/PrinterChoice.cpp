#include "PrinterChoice.h"

#include "report/model/printing/PrinterList.h"

#include <QStringList>

namespace reportdemo {

bool CheckPrinterName(const QString &aName, QString &aError)
{
    report::TppPrinterList *list = report::ppGetPrinterList();
    const classes::TStringList &entries = list->Printers();
    if (entries.IndexOf(aName) >= 0)
        return true;
    // The setup also takes a printer by its device, alone or "on" a port.
    const int on = aName.indexOf(QLatin1String(" on "));
    QString entry;
    list->EntryNameOfDevice(on >= 0 ? aName.left(on) : aName, entry);
    if (!entry.isEmpty())
        return true;

    QStringList offered;
    for (int i = 0; i < entries.Count(); ++i) {
        const QString name = entries.Strings(i);
        if (name != report::DefaultName && name != report::ScreenName)
            offered << QLatin1Char('"') + name + QLatin1Char('"');
    }
    aError = QStringLiteral("no printer \"%1\"; the printers are %2")
                 .arg(aName, offered.isEmpty() ? QStringLiteral("none") : offered.join(QStringLiteral(", ")));
    return false;
}

} // namespace reportdemo
