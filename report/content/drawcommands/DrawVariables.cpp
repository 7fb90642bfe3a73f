#include "report/content/drawcommands/DrawVariables.h"

#include "report/model/base/Utils.h"
#include "report/model/objects/Communicator.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

namespace {

bool drawVarIsDateOrTime(TppVarType aType)
{
    return aType == TppVarType::vtDate || aType == TppVarType::vtDateTime || aType == TppVarType::vtPrintDateTime ||
           aType == TppVarType::vtTime;
}

bool drawVarIsPageValue(TppVarType aType)
{
    return aType == TppVarType::vtPageCount || aType == TppVarType::vtPageSet || aType == TppVarType::vtPageSetDesc ||
           aType == TppVarType::vtPageNo || aType == TppVarType::vtPageNoDesc;
}

// The text of a page value with the page's final numbers.
QString drawVarPageText(const TppPage *aPage, TppVarType aType)
{
    if (!aPage)
        return ppSystemVariableToText(aType, 1, 1, true, 0, 0);
    return ppSystemVariableToText(aType, aPage->PageNo(), aPage->PageCount(), true, aPage->LanguageIndex(),
                                  aPage->PrintDateTime());
}

} // namespace

// ---- TppDrawVariable -----------------------------------------------------------

const classes::TMetaClass &TppDrawVariable::StaticClass()
{
    using C = TppDrawVariable;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawText>("TppDrawVariable", [](classes::TClassBuilder<C> &c) {
            c.Boolean("LookAhead", &C::LookAhead, &C::SetLookAhead).Default(false);
            c.String("LookAheadKey", &C::LookAheadKey, &C::SetLookAheadKey);
        });
    return meta;
}

TppDrawVariable::TppDrawVariable(classes::TComponent *aOwner)
    : TppDrawText(aOwner)
{}

TppDrawVariable::~TppDrawVariable()
{
    BeforeDestruction();
    m_listener.reset();
}

void TppDrawVariable::SetLookAhead(bool aValue)
{
    if (aValue == m_lookAhead)
        return;
    m_lookAhead = aValue;
    if (!aValue) {
        m_listener.reset();
        return;
    }
    m_listener = std::make_unique<TppCommunicator>(nullptr);
    m_listener->SubscribeEvent(ppEvent::LookAheadText);
    m_listener->OnEventNotify.Set([this](classes::TObject *, TppCommunicator *aSender, int aEventID,
                                         TraParamList *aParams) { lookAheadValue(aSender, aEventID, aParams); });
}

void TppDrawVariable::lookAheadValue(TppCommunicator *, int aEventID, TraParamList *aParams)
{
    if (aEventID != ppEvent::LookAheadText || !aParams || aParams->Count() < 3 || !m_listener)
        return;
    const QString key = aParams->ParamValue<QString>(0);
    if (key != m_lookAheadKey) {
        // Another value's list: nothing more is taken from it.
        m_listener->SetEventSubscriptions({});
        return;
    }
    const int32_t count = aParams->ParamValue<int32_t>(1);
    if (count > m_traversalCount) {
        SetText(aParams->ParamValue<QString>(2));
        m_traversalCount = count;
    }
}

bool TppDrawVariable::Recalculate()
{
    return m_lookAhead && m_listener && m_listener->EventSubscriptions().any();
}

void TppDrawVariable::Assign(const classes::TPersistent *source)
{
    TppDrawText::Assign(source);
    const auto *other = dynamic_cast<const TppDrawVariable *>(source);
    if (!other)
        return;
    m_lookAheadKey = other->m_lookAheadKey;
    SetLookAhead(false);
    SetLookAhead(other->m_lookAhead);
    if (m_listener && other->m_listener) {
        m_listener->SetEventSubscriptions(other->m_listener->EventSubscriptions());
        for (int i = 0; i < other->m_listener->GetNotifyCount(); ++i)
            if (TppCommunicator *sender = other->m_listener->GetNotify(i))
                sender->AddEventNotify(m_listener.get());
    }
}

// ---- TppDrawVar ----------------------------------------------------------------

const classes::TMetaClass &TppDrawVar::StaticClass()
{
    using C = TppDrawVar;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawText>("TppDrawVar", [](classes::TClassBuilder<C> &c) {
            c.Enum("VarType", EnumInfo<TppVarType>(), &C::VarType, &C::SetVarType).Default(TppVarType::vtDate);
        });
    return meta;
}

TppDrawVar::TppDrawVar(classes::TComponent *aOwner)
    : TppDrawText(aOwner)
{}

void TppDrawVar::Assign(const classes::TPersistent *source)
{
    TppDrawText::Assign(source);
    if (const auto *other = dynamic_cast<const TppDrawVar *>(source))
        m_varType = other->m_varType;
}

bool TppDrawVar::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const TppDrawVar *>(aDrawCommand);
    if (!other)
        return false;
    if (drawVarIsDateOrTime(m_varType))
        return drawVarIsDateOrTime(other->m_varType);
    return TppDrawText::IsEqual(aDrawCommand) && m_varType == other->m_varType;
}

bool TppDrawVar::NeedsRecalculation() const
{
    return drawVarIsPageValue(m_varType);
}

bool TppDrawVar::Recalculate()
{
    if (!drawVarIsPageValue(m_varType))
        return false;
    SetText(drawVarPageText(Page(), m_varType));
    return true;
}

// ---- TppDrawCalc ---------------------------------------------------------------

const classes::TMetaClass &TppDrawCalc::StaticClass()
{
    using C = TppDrawCalc;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawText>("TppDrawCalc", [](classes::TClassBuilder<C> &c) {
            c.Enum("CalcType", EnumInfo<TppCalcType>(), &C::CalcType, &C::SetCalcType).Default(TppCalcType::ctDate);
        });
    return meta;
}

TppDrawCalc::TppDrawCalc(classes::TComponent *aOwner)
    : TppDrawText(aOwner)
{}

void TppDrawCalc::Assign(const classes::TPersistent *source)
{
    TppDrawText::Assign(source);
    if (const auto *other = dynamic_cast<const TppDrawCalc *>(source))
        m_calcType = other->m_calcType;
}

bool TppDrawCalc::Recalculate()
{
    if (m_calcType != TppCalcType::ctPageCount && m_calcType != TppCalcType::ctPageSet &&
        m_calcType != TppCalcType::ctPageSetDesc)
        return false;
    SetText(drawVarPageText(Page(), ppCalcTypeToVarType(m_calcType)));
    return true;
}

} // namespace report
