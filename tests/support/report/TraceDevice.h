#pragma once

// The "Trace" device: for every page it outputs, one line of the page's
// number and its bands, as in "1: Title PageHeader Detail*41 PageFooter".
// Programs and tests register it; the library does not.

#include "report/model/pages/Device.h"

#include <QString>

namespace reporttest {

class TraceDevice : public report::TppDevice
{
    ZVO_CLASS(TraceDevice)
public:
    explicit TraceDevice(classes::TComponent *aOwner = nullptr);
    static QString ClassDeviceName() { return QStringLiteral("Trace"); }
    QString DeviceName() const override { return ClassDeviceName(); }

    void ReceivePage(report::TppPage *aPage) override;

    // The lines so far, each ended by LF.
    const QString &Text() const { return m_text; }

private:
    QString m_text;
};

// Registers the device class under "Trace" (once).
void ppRegisterTraceDevice();

} // namespace reporttest
