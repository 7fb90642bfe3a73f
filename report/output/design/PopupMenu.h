#pragma once

// The popup menus of report objects in a designer. Items are actions that
// carry a name and the message number of their caption, ordered by menu
// group and then by name, so that a class adds its items to those of its
// ancestors wherever they belong. Items named after a published Boolean
// property of the object the menu is bound to show and toggle it.

#include "report/model/bands/DesignControls.h"

#include <QAction>
#include <QMenu>

#include <memory>
#include <vector>

namespace report {

class TppMenuItem
    : public QAction
    , public IppMenuItem
{
    Q_OBJECT
public:
    TppMenuItem(const QString &aName, int aTag, QObject *aParent);
    ~TppMenuItem() override;

    QString Name() const override { return objectName(); }
    int Tag() const override { return m_tag; }
    QString Caption() const override { return text(); }
    void SetCaption(const QString &aCaption) override;
    bool Checked() const override { return isChecked(); }
    void SetChecked(bool aChecked) override;
    bool Enabled() const override { return isEnabled(); }
    void SetEnabled(bool aEnabled) override { setEnabled(aEnabled); }
    void SetVisible(bool aVisible) override { setVisible(aVisible); }
    void SetOnClick(std::function<void()> aHandler) override { m_onClick = std::move(aHandler); }
    void Click() override { trigger(); }
    IppMenuItem *AddSubItem(const QString &aName, const QString &aCaption) override;
    IppMenuItem *SubItemByName(const QString &aName) const override;
    std::vector<IppMenuItem *> SubItems() const override;

    // Set by the menu while its object has a Boolean property of this name.
    std::function<void()> Toggle;

private:
    void clicked();

    int m_tag = 0;
    std::function<void()> m_onClick;
    // Made by the first sub-item; items that leave a sub-menu are hidden,
    // never freed, for one of them may be the item being clicked.
    std::unique_ptr<QMenu> m_subMenu;
};

class TppPopupMenu
    : public QMenu
    , public IppPopupMenu
{
    Q_OBJECT
public:
    explicit TppPopupMenu(QWidget *aParent = nullptr);
    ~TppPopupMenu() override;

    IppMenuItem *AddItem(int aGroup, const QString &aName, int aCaptionID, const QString &aCaption) override;
    IppMenuItem *ItemByName(const QString &aName) const override;
    void SetComponent(classes::TPersistent *aObject) override;
    void SetMenuObject(classes::TObject *aObject) override { m_menuObject = aObject; }
    classes::TObject *MenuObject() const override { return m_menuObject; }
    void Recaption() override;

    // The items in menu order.
    std::vector<TppMenuItem *> Items() const;

private:
    struct Key
    {
        int group;
        QString name;
    };
    class BoundObject;

    void bindBoolean(TppMenuItem *aItem);
    void objectGone();

    std::vector<Key> m_keys; // sorted as the items stand
    classes::TObject *m_menuObject = nullptr;
    std::unique_ptr<BoundObject> m_bound;
    classes::TPersistent *m_component = nullptr;
};

// A band's menu: a class of its own so that a designer can tell them apart.
class TppBandPopupMenu : public TppPopupMenu
{
    Q_OBJECT
public:
    using TppPopupMenu::TppPopupMenu;
};

} // namespace report
