#include "report/output/search/SearchInfo.h"

namespace report {

namespace {

// The window colour as old pages stored it (a system colour reference).
constexpr rtl::TColor searchInfoOldWindowColor = rtl::TColor(0x80000005);

} // namespace

TppDrawCommandSearchInfo::TppDrawCommandSearchInfo(classes::TComponent *aOwner)
    : TppCommunicator(aOwner)
{}

TppDrawCommandSearchInfo::~TppDrawCommandSearchInfo()
{
    BeforeDestruction();
}

void TppDrawCommandSearchInfo::SetBackgroundColor(rtl::TColor aValue)
{
    m_backgroundColor = aValue == searchInfoOldWindowColor ? rtl::TColor(0xFFFFFF) : aValue;
}

} // namespace report
