#include "report/model/production/PreviewFormSettings.h"

#include "report/model/objects/EnumRegistry.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"

#include <algorithm>

namespace report {

const classes::TEnumInfo &WindowStateInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TWindowState"), {"wsNormal", "wsMinimized", "wsMaximized"});
    return info;
}

const classes::TMetaClass &TppPreviewFormSettings::StaticClass()
{
    using S = TppPreviewFormSettings;
    static const classes::TMetaClass meta =
        classes::MakeClass<S, classes::TPersistent>("TppPreviewFormSettings", [](classes::TClassBuilder<S> &c) {
            c.Enum("WindowState", WindowStateInfo(), &S::WindowState, &S::SetWindowState)
                .Default(TWindowState::wsNormal);
            c.Enum("ZoomSetting", EnumInfo<TppZoomSettingType>(), &S::ZoomSetting, &S::SetZoomSetting)
                .Default(TppZoomSettingType::zsWholePage);
            c.Integer("ZoomPercentage", &S::ZoomPercentage, &S::SetZoomPercentage).Default(100);
        });
    return meta;
}

void TppPreviewFormSettings::Assign(const classes::TPersistent *source)
{
    if (const auto *settings = dynamic_cast<const TppPreviewFormSettings *>(source)) {
        CopyFrom(*settings);
        return;
    }
    TPersistent::Assign(source);
}

void TppPreviewFormSettings::CopyFrom(const TppPreviewFormSettings &aSource)
{
    m_windowState = aSource.m_windowState;
    m_zoomSetting = aSource.m_zoomSetting;
    m_zoomPercentage = aSource.m_zoomPercentage;
}

void TppPreviewFormSettings::SetWindowState(TWindowState aValue)
{
    m_windowState = aValue;
    changed();
}

void TppPreviewFormSettings::SetZoomSetting(TppZoomSettingType aValue)
{
    m_zoomSetting = aValue;
    changed();
}

void TppPreviewFormSettings::SetZoomPercentage(int32_t aValue)
{
    m_zoomPercentage = std::clamp(aValue, 25, 250);
    const std::weak_ptr<char> alive = m_alive;
    SetZoomSetting(TppZoomSettingType::zsPercentage);
    if (!alive.expired())
        changed();
}

void TppPreviewFormSettings::changed()
{
    if (OnChange)
        OnChange(this);
}

void ppRegisterPreviewFormSettings()
{
    classes::RegisterClass(TppPreviewFormSettings::StaticClass());
    ppRegisterEnumType(QStringLiteral("TppZoomSettingType"), &EnumInfo<TppZoomSettingType>());
    ppRegisterEnumType(QStringLiteral("TWindowState"), &WindowStateInfo());
}

void ppUnRegisterPreviewFormSettings()
{
    classes::UnRegisterClass(TppPreviewFormSettings::StaticClass());
    ppUnRegisterEnumType(QStringLiteral("TppZoomSettingType"));
    ppUnRegisterEnumType(QStringLiteral("TWindowState"));
}

} // namespace report
