#pragma once

// TppDrawCommandSearchInfo: one occurrence of the searched text inside one
// draw command of a page, with the keys that put the occurrences of a page
// in reading order and the colours an in-place highlight replaced.

#include "report/model/objects/Communicator.h"

#include "platform/rtl/Colors.h"

#include <cstdint>

namespace report {

class TppDrawCommandSearchInfo : public TppCommunicator
{
public:
    explicit TppDrawCommandSearchInfo(classes::TComponent *aOwner = nullptr);
    ~TppDrawCommandSearchInfo() override;

    // 1-based within its draw command (within its line for plain text).
    int OccurrenceNo() const { return m_occurrenceNo; }
    void SetOccurrenceNo(int aValue) { m_occurrenceNo = aValue; }
    // Index in the page's draw-command list; -1 while unassigned.
    int DrawCommandIndex() const { return m_drawCommandIndex; }
    void SetDrawCommandIndex(int aValue) { m_drawCommandIndex = aValue; }
    // The command's Left plus the occurrence number: orders one line.
    int32_t SortLeft() const { return m_sortLeft; }
    void SetSortLeft(int32_t aValue) { m_sortLeft = aValue; }
    // Thousandths of a millimetre: the top of the occurrence's line.
    int32_t SortTop() const { return m_sortTop; }
    void SetSortTop(int32_t aValue) { m_sortTop = aValue; }
    // 1-based character position in the command's whole text.
    int TextPosition() const { return m_textPosition; }
    void SetTextPosition(int aValue) { m_textPosition = aValue; }
    int LineNo() const { return m_lineNo; }
    void SetLineNo(int aValue) { m_lineNo = aValue; }
    // -1 while no highlight replaced it. The old window system colour
    // comes back as white, the colour it stood for on a page.
    rtl::TColor BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(rtl::TColor aValue);
    rtl::TColor TextColor() const { return m_textColor; }
    void SetTextColor(rtl::TColor aValue) { m_textColor = aValue; }

private:
    int m_occurrenceNo = 0;
    int m_drawCommandIndex = -1;
    int32_t m_sortLeft = 0;
    int32_t m_sortTop = 0;
    int m_textPosition = 0;
    int m_lineNo = 1;
    rtl::TColor m_backgroundColor = rtl::TColor(-1);
    rtl::TColor m_textColor = rtl::TColor(-1);
};

} // namespace report
