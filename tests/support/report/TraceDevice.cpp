#include "tests/support/report/TraceDevice.h"

#include "tests/support/report/BandSequence.h"

#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/Page.h"

#include "platform/classes/ClassBuilder.h"

namespace reporttest {

const classes::TMetaClass &TraceDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TraceDevice, report::TppDevice>("TraceDevice");
    return meta;
}

TraceDevice::TraceDevice(classes::TComponent *aOwner)
    : TppDevice(aOwner)
{}

void TraceDevice::ReceivePage(report::TppPage *aPage)
{
    TppDevice::ReceivePage(aPage);
    if (SkipPage() || !PageInRequest())
        return;
    m_text += QString::number(aPage->AbsolutePageNo()) + QLatin1Char(':');
    const QString bands = BandSequence(*aPage);
    if (!bands.isEmpty())
        m_text += QLatin1Char(' ') + bands;
    m_text += QLatin1Char('\n');
}

void ppRegisterTraceDevice()
{
    report::ppRegisterDevice(&report::ppDeviceClass<TraceDevice>());
}

} // namespace reporttest
