#pragma once

// An editor without a window and a container that records what editors hand
// it, for the grid's widget-free tests.

#include "grid/core/Container.h"
#include "grid/core/InplaceEditor.h"

#include <functional>
#include <vector>

namespace gridtest {

struct KeyCall
{
    grid::TKey key;
    grid::TShiftState shift;
    friend bool operator==(const KeyCall &, const KeyCall &) = default;
};

class FakeContainer : public grid::TCustomdxContainer
{
public:
    FakeContainer()
        : grid::TCustomdxContainer(nullptr)
    {}

    bool CanEditModify() override { return modify; }
    bool CanEditAcceptChar(grid::TChar) override { return acceptChars; }
    void KeyDown(grid::TKey &key, grid::TShiftState shift) override
    {
        keysDown.push_back({key, shift});
        if (onKeyDown)
            onKeyDown(key);
    }
    void KeyPress(grid::TChar &key) override { charsPressed += QString::fromUcs4(&key, 1); }
    void VScroll(int code) override { scrolls.push_back(code); }
    void CancelMode() override { ++cancelModes; }
    int WheelScrollLines() const override { return wheelLines; }

    bool modify = true;
    bool acceptChars = true;
    int wheelLines = 3;
    std::vector<KeyCall> keysDown;
    QString charsPressed;
    std::vector<int> scrolls;
    int cancelModes = 0;
    std::function<void(grid::TKey)> onKeyDown;
};

class FakeEditor : public grid::InplaceEditor
{
public:
    explicit FakeEditor(grid::TCustomdxContainer *container, bool textEditor = true)
        : grid::InplaceEditor(container)
        , m_textEditor(textEditor)
    {}

    bool IsTextEditor() const override { return m_textEditor; }
    void StyleChanged() override
    {
        ++styleChanges;
        grid::InplaceEditor::StyleChanged();
    }
    void MoveCaretToEnd() override { ++caretToEnd; }
    void SelectAll() override { ++selectAlls; }
    void AfterFirstShow() override { ++firstShows; }

    // The window.
    QString text;
    rtl::TRect bounds;
    bool visible = false;
    bool focused = false;
    bool enabled = true;
    std::vector<rtl::TRect> region;
    // What the editor did.
    int beeps = 0;
    QStringList refusals;
    int styleChanges = 0;
    int caretToEnd = 0;
    int selectAlls = 0;
    int firstShows = 0;
    std::vector<KeyCall> ownKeys;
    QString ownChars;

    using grid::InplaceEditor::FocusChanged;

protected:
    QString Text() const override { return text; }
    void SetText(const QString &value) override
    {
        text = value;
        m_modified = false;
    }
    rtl::TRect BoundsRect() const override { return bounds; }
    void SetBoundsRect(const rtl::TRect &rect) override { bounds = rect; }
    void ShowEditWindow() override { visible = true; }
    void HideEditWindow() override { visible = false; }
    bool HasFocus() const override { return focused; }
    void SetFocus() override { focused = true; }
    bool Enabled() const override { return enabled; }
    void Invalidate() override {}
    void ApplyWindowRegion(const std::vector<rtl::TRect> &value) override { region = value; }
    void Beep() override { ++beeps; }
    void ReportRefusal(const QString &errorText) override { refusals << errorText; }
    void OwnKeyDown(grid::TKey &key, grid::TShiftState shift) override { ownKeys.push_back({key, shift}); }
    void OwnKeyPress(grid::TChar &key) override { ownChars += QString::fromUcs4(&key, 1); }

private:
    bool m_textEditor;
};

} // namespace gridtest
