#include "report/model/outline/OutlineSettings.h"

#include "report/model/outline/OutlineParticipant.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/Component.h"

namespace report {

const classes::TMetaClass &TppOutlineSettings::StaticClass()
{
    using S = TppOutlineSettings;
    static const classes::TMetaClass meta =
        classes::MakeClass<S, classes::TPersistent>("TppOutlineSettings", [](classes::TClassBuilder<S> &c) {
            c.Boolean("CreateNode", &S::CreateNode, &S::SetCreateNode).Default(true);
        });
    return meta;
}

TppOutlineSettings::TppOutlineSettings(classes::TComponent *aOwner)
    : m_owner(aOwner)
{}

classes::TPersistent *TppOutlineSettings::GetOwner() const
{
    return m_owner;
}

void TppOutlineSettings::SetCreateNode(bool aValue)
{
    m_createNode = aValue;
    changed();
}

void TppOutlineSettings::Assign(const classes::TPersistent *source)
{
    const auto *settings = dynamic_cast<const TppOutlineSettings *>(source);
    if (!settings) {
        TPersistent::Assign(source);
        return;
    }
    m_createNode = settings->m_createNode;
    changed();
}

void TppOutlineSettings::changed()
{
    if (!m_owner || m_owner->HasState(classes::csLoading | classes::csReading))
        return;
    if (auto *participant = dynamic_cast<IppOutlineParticipant *>(m_owner))
        participant->OutlineChanged();
}

const classes::TMetaClass &TppOutlineReportSettings::StaticClass()
{
    using S = TppOutlineReportSettings;
    static const classes::TMetaClass meta =
        classes::MakeClass<S, TppOutlineSettings>("TppOutlineReportSettings", [](classes::TClassBuilder<S> &c) {
            c.Boolean("CreatePageNodes", &S::CreatePageNodes, &S::SetCreatePageNodes).Default(true);
            c.Boolean("Enabled", &S::Enabled, &S::SetEnabled).Default(true);
            c.Boolean("Visible", &S::Visible, &S::SetVisible).Default(true);
        });
    return meta;
}

TppOutlineReportSettings::TppOutlineReportSettings(classes::TComponent *aOwner)
    : TppOutlineSettings(aOwner)
{}

void TppOutlineReportSettings::SetCreatePageNodes(bool aValue)
{
    m_createPageNodes = aValue;
    changed();
}

void TppOutlineReportSettings::SetEnabled(bool aValue)
{
    m_enabled = aValue;
    if (!aValue)
        m_visible = false;
    changed();
}

void TppOutlineReportSettings::SetVisible(bool aValue)
{
    m_visible = aValue && m_enabled;
}

void TppOutlineReportSettings::Assign(const classes::TPersistent *source)
{
    if (const auto *settings = dynamic_cast<const TppOutlineReportSettings *>(source)) {
        m_createPageNodes = settings->m_createPageNodes;
        m_enabled = settings->m_enabled;
        if (!m_enabled)
            m_visible = false;
    }
    TppOutlineSettings::Assign(source);
}

} // namespace report
