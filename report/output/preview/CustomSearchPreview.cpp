#include "report/output/preview/CustomSearchPreview.h"

namespace report {

TppCustomSearchPreview::TppCustomSearchPreview(TppCustomPreview *aPreview)
    : TppCommunicator(nullptr)
    , m_preview(aPreview)
{}

TppCustomSearchPreview::~TppCustomSearchPreview()
{
    BeforeDestruction();
}

} // namespace report
