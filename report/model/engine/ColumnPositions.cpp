#include "report/model/engine/ColumnPositions.h"

#include "report/model/base/Messages.h"
#include "report/model/base/StreamUtils.h"
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
    // The stored thousandths: what the positions shown in the report's
    // units stand for, in design as at run time.
    const QStringList &positions = aReport.mmColumnPositions();
    place.rightLimit = pageDef->mmWidth() - pageDef->mmMarginRight();
    if (positions.isEmpty()) {
        place.left = pageDef->mmMarginLeft() + (aColumn - 1) * aReport.mmColumnWidth();
        place.fits = place.left + aReport.mmColumnWidth() <= place.rightLimit;
    } else if (positions.size() < aColumn) {
        aReport.HandlePrintError(ppLoadStrFormat(43, {QString::number(aColumn)}) + QLatin1Char('.'));
    } else {
        double value = 0;
        if (!ppReadStoredFloat(positions[aColumn - 1], value)) {
            aReport.HandlePrintError(ppLoadStrFormat(42, {QString::number(aColumn)}) + QLatin1Char('.'));
            return place;
        }
        place.left = ppRound(value);
        place.fits = place.left <= place.rightLimit;
    }
    return place;
}

} // namespace report
