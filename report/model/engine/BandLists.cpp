#include "report/model/engine/BandLists.h"

#include "report/model/bands/BandClasses.h"
#include "report/model/bands/CustomBand.h"
#include "report/model/engine/CustomEngine.h"

namespace report {

int ppEngineListOf(TppCustomBand *aBand)
{
    const int kind = aBand->GetBandKind();
    if (kind & ppBandKind::Title)
        return 2;
    if (kind & ppBandKind::GroupHeader)
        return 4;
    if ((kind & ppBandKind::Header) && dynamic_cast<TppPageStyle *>(aBand))
        return 0;
    if ((kind & ppBandKind::Header) && dynamic_cast<TppPageBand *>(aBand))
        return 1;
    if (kind & ppBandKind::ColumnHeader)
        return 3;
    if (kind & ppBandKind::Detail)
        return 5;
    if (kind & ppBandKind::GroupFooter)
        return 6;
    if (kind & ppBandKind::ColumnFooter)
        return 8;
    if (kind & ppBandKind::Footer)
        return 9;
    if (kind & ppBandKind::Summary)
        return 7;
    return -1;
}

} // namespace report
