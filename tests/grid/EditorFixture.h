#pragma once

// A window with a container that hosts editors and another field to move
// the focus to, shown and active on the offscreen platform.

#include "GridTestSinks.h"

#include "grid/core/Container.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace gridtest {

class TestContainer
    : public QWidget
    , public grid::TCustomdxContainer
{
public:
    explicit TestContainer(QWidget *parent)
        : QWidget(parent)
        , grid::TCustomdxContainer(nullptr)
    {
        setFocusPolicy(Qt::StrongFocus);
    }

    bool CanEditModify() override { return modify; }
    bool CanEditAcceptChar(grid::TChar key) override
    {
        charsAsked += QString::fromUcs4(&key, 1);
        return true;
    }
    bool EditWantTabs() override { return wantTabs; }
    bool IsEditOutOfSync() override { return outOfSync; }
    void KeyPress(grid::TChar &key) override { charsPressed += QString::fromUcs4(&key, 1); }
    void KeyDown(grid::TKey &key, grid::TShiftState) override
    {
        keysDown.push_back(key);
        if (onKeyDown)
            onKeyDown(key);
    }
    void VScroll(int code) override { scrolls.push_back(code); }

    bool modify = true;
    bool wantTabs = true;
    bool outOfSync = false;
    std::vector<grid::TKey> keysDown;
    QString charsPressed; // as the container's key press saw them
    QString charsAsked;   // by the editor, whether it may take them
    std::vector<int> scrolls;
    std::function<void(grid::TKey)> onKeyDown;
};

class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        container = new TestContainer(&window);
        container->setGeometry(0, 0, 300, 200);
        other = new QLineEdit(&window);
        other->setGeometry(0, 250, 100, 20);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <class Editor>
    Editor *make()
    {
        return new Editor(container); // the container's, as component and as widget
    }

    RecordingBeeps beeps;
    shell::RecordingMessageBoxes boxes;
    QWidget window;
    TestContainer *container = nullptr;
    QLineEdit *other = nullptr;
};

} // namespace gridtest
