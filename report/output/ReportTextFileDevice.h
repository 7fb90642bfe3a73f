#pragma once

// TppReportTextFileDevice ("ReportTextFile"): every text of a page laid on a
// character grid, so that the page reads as plain text.

#include "report/model/production/FileDevice.h"

#include <map>
#include <utility>

namespace report {

class TppReportTextFileDevice : public TppFileDevice
{
    ZVO_CLASS(TppReportTextFileDevice)
public:
    explicit TppReportTextFileDevice(classes::TComponent *aOwner = nullptr);

    static QString ClassDeviceName() { return QStringLiteral("ReportTextFile"); }
    QString DeviceName() const override { return ClassDeviceName(); }
    QString DefaultExt() const override { return QStringLiteral("txt"); }
    QString DefaultExtFilter() const override { return QStringLiteral("Text files|*.TXT|All files|*.*"); }
    QString DeviceDescription(int32_t aLanguageIndex) const override;

    void ReceivePage(TppPage *aPage) override;
    void WritePage(TppPage *aPage);

    // With it the grid follows the size of "0" in "Courier New" on every
    // page, and CharsPerLine and LinesPerPage are overwritten.
    bool AutoCalcGrid() const { return m_autoCalcGrid; }
    void SetAutoCalcGrid(bool aValue) { m_autoCalcGrid = aValue; }
    // With it the grid's font size (8, 10 or 12) follows the page's first text.
    bool AutoFontSize() const { return m_autoFontSize; }
    void SetAutoFontSize(bool aValue) { m_autoFontSize = aValue; }
    int32_t CharsPerLine() const { return m_charsPerLine; }
    void SetCharsPerLine(int32_t aValue) { m_charsPerLine = aValue; }
    int32_t LinesPerPage() const { return m_linesPerPage; }
    void SetLinesPerPage(int32_t aValue) { m_linesPerPage = aValue; }
    int32_t FontSize() const { return m_fontSize; }
    void SetFontSize(int32_t aValue) { m_fontSize = aValue; }

    // The grid font size the last page was written with.
    int32_t GridFontSize() const { return m_gridFontSize; }

private:
    // Width and height of "0" in "Courier New" at the size, in thousandths of
    // a millimetre, measured once per size and screen resolution.
    std::pair<int32_t, int32_t> gridCell(int32_t aFontSize);

    bool m_autoCalcGrid = true;
    bool m_autoFontSize = true;
    int32_t m_charsPerLine = 80;
    int32_t m_linesPerPage = 66;
    int32_t m_fontSize = 12;
    int32_t m_gridFontSize = 12;
    std::map<std::pair<int32_t, int>, std::pair<int32_t, int32_t>> m_cells;
};

} // namespace report
