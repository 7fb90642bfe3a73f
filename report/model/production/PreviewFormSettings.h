#pragma once

// How the preview window opens: window state and zoom. A report owns one and
// hands it to the preview each time it opens.

#include "report/model/base/Types.h"

#include "platform/classes/Persistent.h"
#include "platform/classes/PropInfo.h"

#include <cstdint>
#include <memory>

namespace report {

enum class TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
const classes::TEnumInfo &WindowStateInfo();

class TppPreviewFormSettings : public classes::TPersistent
{
    ZVO_CLASS(TppPreviewFormSettings)
public:
    TppPreviewFormSettings() = default;

    void Assign(const classes::TPersistent *source) override;
    // The three values, without OnChange.
    void CopyFrom(const TppPreviewFormSettings &aSource);

    TWindowState WindowState() const { return m_windowState; }
    void SetWindowState(TWindowState aValue);
    TppZoomSettingType ZoomSetting() const { return m_zoomSetting; }
    void SetZoomSetting(TppZoomSettingType aValue);
    int32_t ZoomPercentage() const { return m_zoomPercentage; }
    // Clamped to 25..250; the zoom setting becomes zsPercentage. Tells
    // OnChange twice: once for the setting, once for the percentage.
    void SetZoomPercentage(int32_t aValue);

    classes::TNotifyEvent OnChange;

private:
    void changed();

    TWindowState m_windowState = TWindowState::wsNormal;
    TppZoomSettingType m_zoomSetting = TppZoomSettingType::zsWholePage;
    // Expires when the settings go, perhaps with their report inside OnChange.
    std::shared_ptr<char> m_alive = std::make_shared<char>(0);
    int32_t m_zoomPercentage = 100;
};

// The unit's start-up: the class for streaming, "TppZoomSettingType" and
// "TWindowState" for the enumerated-name registry; the finalisation undoes it.
void ppRegisterPreviewFormSettings();
void ppUnRegisterPreviewFormSettings();

} // namespace report
