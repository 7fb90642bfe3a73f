#include "report/model/pages/DrawCommand.h"

#include "report/model/bands/Band.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/StringList.h"

namespace report {

const classes::TMetaClass &TppDrawCommand::StaticClass()
{
    using C = TppDrawCommand;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppRelative>("TppDrawCommand", [](classes::TClassBuilder<C> &c) {
            c.Boolean("Clickable", &C::Clickable, &C::SetClickable).Default(false);
            c.Enum("DataType", EnumInfo<TppDataType>(), &C::DataType, &C::SetDataType).Default(TppDataType::dtString);
            c.Integer("Height", &C::Height, &C::SetHeight);
            c.Integer("Left", &C::Left, &C::SetLeft);
            c.Integer("Top", &C::Top, &C::SetTop);
            c.Integer("Width", &C::Width, &C::SetWidth);
        });
    return meta;
}

TppDrawCommand::TppDrawCommand(classes::TComponent *aOwner)
    : TppRelative(aOwner)
{}

TppDrawCommand::~TppDrawCommand()
{
    BeforeDestruction();
    SetPage(nullptr);
}

bool TppDrawCommand::Draw(TppDevice *aDevice)
{
    return aDevice && aDevice->Draw(this);
}

bool TppDrawCommand::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    return aDrawCommand && m_left == aDrawCommand->m_left && m_height == aDrawCommand->m_height &&
           m_top == aDrawCommand->m_top && m_width == aDrawCommand->m_width;
}

void TppDrawCommand::Assign(const classes::TPersistent *source)
{
    const auto *other = dynamic_cast<const TppDrawCommand *>(source);
    if (!other) {
        TppRelative::Assign(source);
        return;
    }
    m_band = other->m_band;
    m_bandAlive = other->m_bandAlive;
    SetClickable(other->m_clickable);
    m_dataType = other->m_dataType;
    m_drawRect = other->m_drawRect;
    m_text = other->m_text;
    m_left = other->m_left;
    m_height = other->m_height;
    OnClick = other->OnClick;
    SetTag(other->Tag());
    m_top = other->m_top;
    m_width = other->m_width;
}

void TppDrawCommand::SetBand(TppBand *aBand)
{
    m_band = aBand;
    m_bandAlive = aBand ? aBand->AliveToken() : std::weak_ptr<char>();
}

void TppDrawCommand::SetComponent(TppCommunicator *aComponent)
{
    m_component = aComponent;
    m_componentAlive = aComponent ? aComponent->AliveToken() : std::weak_ptr<char>();
    m_componentTracked = aComponent != nullptr;
}

void TppDrawCommand::SetComponent(classes::TObject *aComponent)
{
    if (auto *communicator = dynamic_cast<TppCommunicator *>(aComponent)) {
        SetComponent(communicator);
        return;
    }
    m_component = aComponent;
    m_componentAlive.reset();
    m_componentTracked = false;
}

void TppDrawCommand::SetPage(TppPage *aPage)
{
    if (aPage == m_page)
        return;
    // The new page takes it from the old one only once it accepts it: a
    // refused command (a second outline) stays on its page and with its
    // owner instead of ending up on neither.
    if (aPage)
        aPage->AddDrawCommand(this);
    else if (m_page)
        m_page->RemoveDrawCommand(this);
}

void TppDrawCommand::SetParent(TppRelative *aParent)
{
    if (!aParent) {
        SetPage(nullptr);
        return;
    }
    // Anything but a page would hold the command outside every page list.
    if (auto *page = dynamic_cast<TppPage *>(aParent))
        SetPage(page);
}

void TppDrawCommand::SetClickable(bool aClickable)
{
    if (m_clickable == aClickable)
        return;
    m_clickable = aClickable;
    if (m_page)
        m_page->clickableChanged(this);
}

void TppDrawCommand::DoOnClick()
{
    if (OnClick)
        OnClick(this);
}

// ---- Descriptor -------------------------------------------------------------

TraTppDrawCommandRTTI::TraTppDrawCommandRTTI()
    : TraRTTI(&TraTppRelativeRTTI::Instance())
{}

const TraTppDrawCommandRTTI &TraTppDrawCommandRTTI::Instance()
{
    static const TraTppDrawCommandRTTI instance;
    return instance;
}

const classes::TMetaClass &TraTppDrawCommandRTTI::RefClass() const
{
    return TppDrawCommand::StaticClass();
}

void TraTppDrawCommandRTTI::GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const
{
    TraRTTI::GetPropList(aClass, aList);
    for (const char *name : {"Page", "Clickable", "RedrawPage"})
        raAddPropName(aList, QString::fromLatin1(name));
}

bool TraTppDrawCommandRTTI::GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const
{
    if (raSameName(aName, "Page"))
        ClassPropToRec(QStringLiteral("Page"), TppPage::StaticClass(), false, aRec);
    else if (raSameName(aName, "Clickable"))
        InitPropRec(QStringLiteral("Clickable"), TraDataType::daBoolean, false, aRec);
    else if (raSameName(aName, "RedrawPage"))
        InitPropRec(QStringLiteral("RedrawPage"), TraDataType::daBoolean, false, aRec);
    else
        return TraRTTI::GetPropRec(aClass, aName, aRec);
    return true;
}

bool TraTppDrawCommandRTTI::GetPropValue(classes::TObject *aObject, const QString &aName,
                                         const TraValuePointer &aValue) const
{
    auto *command = dynamic_cast<TppDrawCommand *>(aObject);
    if (!command)
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Page"))
        raWriteValue(aValue, command->Page(), aName);
    else if (raSameName(aName, "Clickable"))
        raWriteValue(aValue, command->Clickable(), aName);
    else if (raSameName(aName, "RedrawPage"))
        raWriteValue(aValue, command->RedrawPage(), aName);
    else
        return TraRTTI::GetPropValue(aObject, aName, aValue);
    return true;
}

bool TraTppDrawCommandRTTI::SetPropValue(classes::TObject *aObject, const QString &aName,
                                         const TraValuePointer &aValue) const
{
    auto *command = dynamic_cast<TppDrawCommand *>(aObject);
    if (!command)
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    if (raSameName(aName, "Page"))
        command->SetPage(raReadValue<TppPage *>(aValue, aName));
    else if (raSameName(aName, "Clickable"))
        command->SetClickable(raReadValue<bool>(aValue, aName));
    else if (raSameName(aName, "RedrawPage"))
        command->SetRedrawPage(raReadValue<bool>(aValue, aName));
    else
        return TraRTTI::SetPropValue(aObject, aName, aValue);
    return true;
}

} // namespace report
