#pragma once

// The class library's popup menu: a component a control names in its
// PopupMenu and shows on a right click that nothing else took. Its items are
// components as well, so that a stored layout carries their captions and the
// names of their OnClick handlers.

#include "platform/classes/Component.h"

#include <QPoint>

#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace controls {

class TPopupMenu;

class TMenuItem : public classes::TComponent
{
    ZVO_CLASS(TMenuItem)
public:
    explicit TMenuItem(classes::TComponent *owner = nullptr);
    ~TMenuItem() override;

    QString Caption() const;
    void SetCaption(const QString &caption);
    // Runs OnClick, as choosing the item does.
    void Click();
    classes::TEvent<void(classes::TObject *sender)> OnClick;

    TPopupMenu *Menu() const { return m_menu; }
    QAction *action() const { return m_action.get(); }

    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *parent) override;

private:
    friend class TPopupMenu;
    TPopupMenu *m_menu = nullptr;
    const std::unique_ptr<QAction> m_action;
};

class TPopupMenu : public classes::TComponent
{
    ZVO_CLASS(TPopupMenu)
public:
    explicit TPopupMenu(classes::TComponent *owner = nullptr);
    // Items that no component owns go with the menu; owned ones stay with
    // their owner, out of the menu.
    ~TPopupMenu() override;

    int Count() const { return int(m_items.size()); }
    TMenuItem *Items(int index) const { return m_items.at(size_t(index)); }
    // Appends the item, taking it from the menu it was on.
    void Add(TMenuItem *item);
    void Remove(TMenuItem *item);

    // Opens the menu at the point on the screen and returns at once; the
    // item chosen runs its OnClick.
    void Popup(QPoint globalPos);
    classes::TEvent<void(classes::TObject *sender)> OnPopup;

    QMenu &menu() const { return *m_menu; }

    void GetChildren(const classes::TGetChildProc &proc, classes::TComponent *root) override;

private:
    std::vector<TMenuItem *> m_items;
    const std::unique_ptr<QMenu> m_menu;
};

} // namespace controls
