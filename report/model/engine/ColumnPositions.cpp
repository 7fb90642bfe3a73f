#include "report/model/engine/ColumnPositions.h"

#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"
#include "report/model/printing/PageDef.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/CustomReport.h"

namespace report {

TppColumnPlace ppPlaceColumn(TppCustomReport &aReport, int aColumn)
{
    TppColumnPlace place;
    const TppPageDef *pageDef = aReport.PrinterSetup() ? aReport.PrinterSetup()->PageDef() : nullptr;
    if (!pageDef)
        return place;
    const QStringList &positions = aReport.ColumnPositions();
    place.rightLimit = pageDef->mmWidth() - pageDef->mmMarginRight();
    if (positions.isEmpty()) {
        place.left = pageDef->mmMarginLeft() + (aColumn - 1) * aReport.mmColumnWidth();
        place.fits = place.left + aReport.mmColumnWidth() <= place.rightLimit;
    } else if (positions.size() < aColumn) {
        aReport.HandlePrintError(ppLoadStrFormat(43, {QString::number(aColumn)}));
    } else {
        bool ok = false;
        const double value = positions[aColumn - 1].toDouble(&ok);
        if (!ok) {
            aReport.HandlePrintError(ppLoadStrFormat(42, {QString::number(aColumn)}));
            return place;
        }
        place.left = ppToMMThousandths(float(value), aReport.Units(), TppAxisType::atHorizontal);
        place.fits = place.left <= place.rightLimit;
    }
    return place;
}

} // namespace report
