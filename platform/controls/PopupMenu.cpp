#include "platform/controls/PopupMenu.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/controls/Guard.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace controls {

const classes::TMetaClass &TMenuItem::StaticClass()
{
    using C = TMenuItem;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, classes::TComponent>("TMenuItem", [](classes::TClassBuilder<C> &c) {
            c.String("Caption", &C::Caption, &C::SetCaption).NoDefault();
            c.Event("OnClick", &C::OnClick);
        });
    return meta;
}

const classes::TMetaClass &TPopupMenu::StaticClass()
{
    using C = TPopupMenu;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, classes::TComponent>("TPopupMenu", [](classes::TClassBuilder<C> &c) {
            c.Event("OnPopup", &C::OnPopup);
        });
    return meta;
}

TMenuItem::TMenuItem(classes::TComponent *owner)
    : classes::TComponent(owner)
    , m_action(std::make_unique<QAction>())
{
    // Chosen by the user: a failure of the handler is reported like any
    // command's.
    QObject::connect(m_action.get(), &QAction::triggered, [this] {
        guarded(Report::toUser(m_menu ? &m_menu->menu() : nullptr), [this] { Click(); });
    });
}

TMenuItem::~TMenuItem()
{
    if (m_menu)
        m_menu->Remove(this);
}

QString TMenuItem::Caption() const
{
    return m_action->text();
}

void TMenuItem::SetCaption(const QString &caption)
{
    m_action->setText(caption);
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

classes::TComponent *TMenuItem::GetParentComponent() const
{
    return m_menu;
}

void TMenuItem::SetParentComponent(classes::TComponent *parent)
{
    if (auto *menu = dynamic_cast<TPopupMenu *>(parent))
        menu->Add(this);
}

TPopupMenu::TPopupMenu(classes::TComponent *owner)
    : classes::TComponent(owner)
    , m_menu(std::make_unique<QMenu>())
{}

TPopupMenu::~TPopupMenu()
{
    for (TMenuItem *item : std::vector<TMenuItem *>(m_items)) {
        Remove(item);
        if (!item->Owner())
            delete item;
    }
}

void TPopupMenu::Add(TMenuItem *item)
{
    if (!item || item->m_menu == this)
        return;
    if (item->m_menu)
        item->m_menu->Remove(item);
    item->m_menu = this;
    m_items.push_back(item);
    m_menu->addAction(item->action());
}

void TPopupMenu::Remove(TMenuItem *item)
{
    const auto it = std::find(m_items.begin(), m_items.end(), item);
    if (it == m_items.end())
        return;
    m_items.erase(it);
    item->m_menu = nullptr;
    m_menu->removeAction(item->action());
}

void TPopupMenu::Popup(QPoint globalPos)
{
    if (OnPopup)
        guarded(Report::none(), [&] { OnPopup(this); });
    m_menu->popup(globalPos);
}

void TPopupMenu::GetChildren(const classes::TGetChildProc &proc, classes::TComponent *root)
{
    // Items made in code have no owner: they belong to the menu.
    for (TMenuItem *item : std::vector<TMenuItem *>(m_items))
        if (item->Owner() == root || !item->Owner())
            proc(item);
}

} // namespace controls
