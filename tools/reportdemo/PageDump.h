#pragma once

// The --dump listing: a line per draw command of every page the device
// outputs, fields separated by tabs:
//
//   page  class  band  left  top  width  height  text
//
// with the band's user name and the bounds in thousandths of a millimetre.
// A tab, line break or backslash inside the text is written as \t, \n, \r
// or \\, so that every command stays on one line.

#include "tests/support/report/TraceDevice.h"

#include <QString>

namespace reportdemo {

class DumpDevice : public reporttest::TraceDevice
{
public:
    explicit DumpDevice(classes::TComponent *aOwner = nullptr);

    void ReceivePage(report::TppPage *aPage) override;

    // Off by default: a long run without --dump would hold every page's
    // lines for nothing.
    void SetKeepDump(bool aValue) { m_keepDump = aValue; }
    // The dump lines so far, each ended by LF.
    const QString &Dump() const { return m_dump; }

private:
    QString m_dump;
    bool m_keepDump = false;
};

} // namespace reportdemo
