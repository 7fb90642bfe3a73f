#include "tests/support/report/DesignerDouble.h"

#include "report/model/bands/Band.h"
#include "report/model/bands/DesignControls.h"

#include <QMetaObject>

namespace reporttest {

DesignerDouble::DesignerDouble()
    : m_alive(std::make_unique<QObject>())
{}

DesignerDouble::~DesignerDouble() = default;

void DesignerDouble::SendDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam)
{
    RecordingDesigner::SendDesignerMessage(aMsg, aWParam, aLParam);
    if (aMsg == report::ppDesignerMsg::CreateDesignControl) {
        if (auto *printable = dynamic_cast<report::TppPrintable *>(aLParam))
            printable->SetDesignControl(report::ppCreateDesignControl(Surface.data()));
    } else if (aMsg == report::ppDesignerMsg::CreateBandDesignControl) {
        if (auto *band = dynamic_cast<report::TppBand *>(aLParam)) {
            if (auto bar = report::ppCreateDesignControl(Surface.data())) {
                bar->SetDesignBounds({0, 0, 0, BandBarHeight});
                band->SetBandDesignControl(std::move(bar));
            }
            if (auto ruler = report::ppCreateDesignControl(Surface.data())) {
                ruler->SetDesignBounds({0, 0, RulerWidth, 0});
                band->SetDesignRuler(std::move(ruler));
            }
        }
    }
}

void DesignerDouble::PostDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam)
{
    QMetaObject::invokeMethod(
        m_alive.get(),
        [this, aMsg, aWParam, aLParam] { RecordingDesigner::PostDesignerMessage(aMsg, aWParam, aLParam); },
        Qt::QueuedConnection);
}

} // namespace reporttest
