#include "report/model/engine/CustomEngine.h"

#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppCustomEngine::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppCustomEngine, TppCacheable>("TppCustomEngine");
    return meta;
}

TppCustomEngine::TppCustomEngine(classes::TComponent *aOwner, TppCustomReport *aReport, int aClientValue)
    : TppCacheable(aOwner)
    , m_report(aReport)
    , m_page(std::make_unique<TppPage>())
    , m_clientValue(aClientValue)
{}

TppCustomEngine::~TppCustomEngine()
{
    BeforeDestruction();
}

void TppCustomEngine::SetPrintArea(int32_t aLeft, int32_t aTop, int32_t aWidth, int32_t aPosition)
{
    m_printLeft = aLeft;
    m_printTop = aTop;
    m_printWidth = aWidth;
    m_printPosition = aPosition;
}

void TppCustomEngine::CreateColumnFlags(int aColumns)
{
    m_columnFlagsA.assign(size_t(std::max(aColumns, 0)), 0);
    m_columnFlagsB.assign(size_t(std::max(aColumns, 0)), 0);
}

void TppCustomEngine::ClearColumnFlags()
{
    std::fill(m_columnFlagsA.begin(), m_columnFlagsA.end(), 0);
    std::fill(m_columnFlagsB.begin(), m_columnFlagsB.end(), 0);
}

} // namespace report
