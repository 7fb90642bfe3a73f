#include "report/output/design/PopupMenu.h"

#include "report/model/base/Messages.h"

#include "platform/classes/Component.h"
#include "platform/classes/TypInfo.h"

#include <algorithm>

namespace report {

// ---- TppMenuItem ---------------------------------------------------------------------

TppMenuItem::TppMenuItem(const QString &aName, int aTag, QObject *aParent)
    : QAction(aParent)
    , m_tag(aTag)
{
    setObjectName(aName);
    connect(this, &QAction::triggered, this, &TppMenuItem::clicked);
}

TppMenuItem::~TppMenuItem()
{
    if (m_subMenu)
        setMenu(static_cast<QMenu *>(nullptr));
}

void TppMenuItem::SetCaption(const QString &aCaption)
{
    setText(aCaption);
    setSeparator(aCaption == QLatin1String("-"));
}

void TppMenuItem::SetChecked(bool aChecked)
{
    if (aChecked)
        setCheckable(true);
    setChecked(aChecked);
}

IppMenuItem *TppMenuItem::AddSubItem(const QString &aName, const QString &aCaption)
{
    if (aName.isEmpty() || SubItemByName(aName))
        return nullptr;
    if (!m_subMenu) {
        m_subMenu = std::make_unique<QMenu>();
        setMenu(m_subMenu.get());
    }
    auto *item = new TppMenuItem(aName, 0, m_subMenu.get());
    item->SetCaption(aCaption);
    m_subMenu->addAction(item);
    return item;
}

IppMenuItem *TppMenuItem::SubItemByName(const QString &aName) const
{
    for (IppMenuItem *item : SubItems())
        if (item->Name().compare(aName, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

std::vector<IppMenuItem *> TppMenuItem::SubItems() const
{
    std::vector<IppMenuItem *> items;
    if (m_subMenu)
        for (QAction *action : m_subMenu->actions())
            if (auto *item = qobject_cast<TppMenuItem *>(action))
                items.push_back(item);
    return items;
}

void TppMenuItem::clicked()
{
    // A handler may rebuild the menu: keep what runs alive for the call.
    if (Toggle) {
        auto toggle = Toggle;
        toggle();
    } else if (m_onClick) {
        auto onClick = m_onClick;
        onClick();
    }
}

// ---- TppPopupMenu --------------------------------------------------------------------

// Lets the menu know when the object its items are bound to goes.
class TppPopupMenu::BoundObject : public classes::TComponent
{
public:
    BoundObject(TppPopupMenu &aMenu, classes::TComponent *aObject)
        : TComponent(nullptr)
        , m_menu(aMenu)
        , m_object(aObject)
    {
        m_object->FreeNotification(this);
    }
    ~BoundObject() override
    {
        if (m_object)
            m_object->RemoveFreeNotification(this);
    }
    void Notification(classes::TComponent *aComponent, classes::TOperation aOperation) override
    {
        TComponent::Notification(aComponent, aOperation);
        if (aOperation == classes::TOperation::opRemove && aComponent == m_object) {
            m_object = nullptr;
            m_menu.objectGone();
        }
    }

private:
    TppPopupMenu &m_menu;
    classes::TComponent *m_object;
};

TppPopupMenu::TppPopupMenu(QWidget *aParent)
    : QMenu(aParent)
{}

TppPopupMenu::~TppPopupMenu()
{
    m_bound.reset();
}

IppMenuItem *TppPopupMenu::AddItem(int aGroup, const QString &aName, int aCaptionID, const QString &aCaption)
{
    if (aName.isEmpty() || ItemByName(aName))
        return nullptr;
    // Ordered by the group's value, then by name as names compare: a key text
    // would misplace negative groups and groups of more than eight digits.
    const Key key{aGroup, aName};
    const auto before = [](const Key &a, const Key &b) {
        if (a.group != b.group)
            return a.group < b.group;
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    };
    const auto at = std::upper_bound(m_keys.begin(), m_keys.end(), key, before);
    const auto index = at - m_keys.begin();
    auto *item = new TppMenuItem(aName, aCaptionID, this);
    item->SetCaption(aCaption.isEmpty() && aCaptionID != 0 ? ppLoadStr(aCaptionID) : aCaption);
    const QList<QAction *> current = actions();
    insertAction(index < current.size() ? current.at(index) : nullptr, item);
    m_keys.insert(at, key);
    if (m_component)
        bindBoolean(item);
    return item;
}

IppMenuItem *TppPopupMenu::ItemByName(const QString &aName) const
{
    if (aName.isEmpty())
        return nullptr;
    for (QAction *action : actions())
        if (action->objectName().compare(aName, Qt::CaseInsensitive) == 0)
            return qobject_cast<TppMenuItem *>(action);
    return nullptr;
}

std::vector<TppMenuItem *> TppPopupMenu::Items() const
{
    std::vector<TppMenuItem *> items;
    for (QAction *action : actions())
        if (auto *item = qobject_cast<TppMenuItem *>(action))
            items.push_back(item);
    return items;
}

void TppPopupMenu::SetComponent(classes::TPersistent *aObject)
{
    m_bound.reset();
    m_component = aObject;
    if (auto *component = dynamic_cast<classes::TComponent *>(aObject))
        m_bound = std::make_unique<BoundObject>(*this, component);
    for (TppMenuItem *item : Items())
        bindBoolean(item);
}

void TppPopupMenu::bindBoolean(TppMenuItem *aItem)
{
    aItem->Toggle = nullptr;
    if (!m_component)
        return;
    const classes::TPropInfo *prop = classes::GetPropInfo(*m_component, aItem->Name());
    if (!prop || prop->Kind != classes::TTypeKind::tkEnumeration || prop->Enum != &classes::BooleanInfo() ||
        !prop->GetOrd)
        return;
    aItem->setCheckable(true);
    aItem->setChecked(classes::GetOrdProp(*m_component, *prop) != 0);
    if (prop->IsReadOnly())
        return;
    aItem->Toggle = [this, aItem, prop] {
        if (!m_component)
            return;
        const bool value = classes::GetOrdProp(*m_component, *prop) == 0;
        classes::SetOrdProp(*m_component, *prop, value ? 1 : 0);
        aItem->setChecked(value);
    };
}

void TppPopupMenu::objectGone()
{
    m_component = nullptr;
    for (TppMenuItem *item : Items())
        item->Toggle = nullptr;
}

void TppPopupMenu::Recaption()
{
    for (TppMenuItem *item : Items())
        if (item->Tag() != 0)
            item->SetCaption(ppLoadStr(item->Tag()));
}

} // namespace report

#include "moc_PopupMenu.cpp"
