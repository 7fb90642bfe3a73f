#pragma once

// A designer as report objects meet it: it records what it is told, makes
// the design controls objects and bands ask for (through the window layer's
// factory, on its surface), and takes posted messages only when the event
// loop comes round, as a window would.

#include "tests/support/report/BandFakes.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace reporttest {

class DesignerDouble : public RecordingDesigner
{
public:
    DesignerDouble();
    ~DesignerDouble();
    void SendDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam) override;
    // Recorded as "post N" once delivered.
    void PostDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam) override;

    // Where the controls go; nullptr: nowhere yet.
    QPointer<QObject> Surface;
    // Band controls are this tall.
    int BandBarHeight = 12;
    int RulerWidth = 20;

private:
    // Posted messages die with the designer.
    std::unique_ptr<QObject> m_alive;
};

} // namespace reporttest
