#pragma once

// The class library's size constraints of a control: the smallest and the
// largest width and height it may take, 0 leaving a bound open.

#include "platform/classes/Persistent.h"

#include <functional>

namespace classes {

class TSizeConstraints : public TPersistent
{
    ZVO_CLASS(TSizeConstraints)
public:
    int MaxHeight() const { return m_maxHeight; }
    void SetMaxHeight(int value);
    int MaxWidth() const { return m_maxWidth; }
    void SetMaxWidth(int value);
    int MinHeight() const { return m_minHeight; }
    void SetMinHeight(int value);
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int value);

    void Assign(const TPersistent *source) override;

    // Told after every change.
    std::function<void(TObject *)> OnChange;

private:
    void changed();

    int m_maxHeight = 0;
    int m_maxWidth = 0;
    int m_minHeight = 0;
    int m_minWidth = 0;
};

} // namespace classes
