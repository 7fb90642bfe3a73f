#include "grid/core/EditStyle.h"

#include "grid/core/InplaceEditor.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/EnumTypes.h"

#include <algorithm>

namespace grid {

namespace {

struct DefaultControllers
{
    std::unique_ptr<TdxEditStyleController> edit;
    std::unique_ptr<TdxCheckEditStyleController> check;
    bool released = false;
};

DefaultControllers &defaults()
{
    static DefaultControllers controllers;
    return controllers;
}

const classes::TEnumInfo &borderStyleInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxEditBorderStyle"),
                                         {"xbsNone", "xbsSingle", "xbsThick", "xbsFlat", "xbs3D"});
    return info;
}

const classes::TEnumInfo &buttonStyleInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxEditButtonViewStyle"),
                                         {"btsDefault", "bts3D", "btsFlat", "btsSimple", "btsHotFlat"});
    return info;
}

const classes::TEnumInfo &buttonTransparenceInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxEditButtonTransparence"),
                                         {"ebtNone", "ebtInactive", "ebtAlways", "ebtHideInactive"});
    return info;
}

const classes::TEnumInfo &edgeInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxEditEdge"), {"edgLeft", "edgTop", "edgRight", "edgBottom"});
    return info;
}

const classes::TEnumInfo &styleValueInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxEditStyleValue"),
                                         {"svBorderColor", "svBorderStyle", "svButtonStyle", "svButtonTransparence",
                                          "svEdges", "svHotTrack", "svShadow"});
    return info;
}

} // namespace

// ---- TdxEditStyle ----------------------------------------------------------

const classes::TMetaClass &TdxEditStyle::StaticClass()
{
    using S = TdxEditStyle;
    // A value is written exactly when the style was given it itself.
    static const auto assigned = [](TdxEditStyleValue value) {
        return [value](const classes::TPersistent &o) { return static_cast<const S &>(o).isAssigned(value); };
    };
    static const classes::TMetaClass meta = classes::MakeClass<
        S, classes::TPersistent>("TdxEditStyle", [](classes::TClassBuilder<S> &c) {
        c.Set("AssignedValues", styleValueInfo(), QStringLiteral("TdxEditStyleValues"), &S::AssignedValues,
              &S::SetAssignedValues)
            .Stored(false);
        c.Integer("BorderColor", &S::BorderColor, &S::SetBorderColor)
            .WithIdents(classes::ColorIdents())
            .Stored(assigned(svBorderColor));
        c.Enum("BorderStyle", borderStyleInfo(), &S::BorderStyle, &S::SetBorderStyle).Stored(assigned(svBorderStyle));
        c.Enum("ButtonStyle", buttonStyleInfo(), &S::ButtonStyle, &S::SetButtonStyle).Stored(assigned(svButtonStyle));
        c.Enum("ButtonTransparence", buttonTransparenceInfo(), &S::ButtonTransparence, &S::SetButtonTransparence)
            .Stored(assigned(svButtonTransparence));
        c.Set("Edges", edgeInfo(), QStringLiteral("TdxEditEdges"), &S::Edges, &S::SetEdges).Stored(assigned(svEdges));
        c.Boolean("HotTrack", &S::HotTrack, &S::SetHotTrack).Stored(assigned(svHotTrack));
        c.Boolean("Shadow", &S::Shadow, &S::SetShadow).Stored(assigned(svShadow));
    });
    return meta;
}

TdxEditStyle::TdxEditStyle(InplaceEditor *edit)
    : m_edit(edit)
{
    if (m_edit)
        if (TdxEditStyleController *controller = DefaultEditStyleController())
            controller->AddListener(m_edit);
}

TdxEditStyle::~TdxEditStyle()
{
    // Only a controller that still exists; at shut-down it may be gone first.
    if (m_edit && defaults().edit)
        defaults().edit->RemoveListener(m_edit);
}

void TdxEditStyle::SetAssignedValues(TdxEditStyleValues values)
{
    if (values == m_assignedValues)
        return;
    m_assignedValues = values;
    Changed();
}

template <class T>
void TdxEditStyle::set(TdxEditStyleValue value, T &field, T newValue)
{
    // An unassigned value equal to its default is still assigned: the style
    // then keeps it when the default moves.
    if (isAssigned(value) && field == newValue)
        return;
    field = newValue;
    m_assignedValues |= ValueBit(value);
    Changed();
}

rtl::TColor TdxEditStyle::BorderColor() const
{
    return isAssigned(svBorderColor) ? m_borderColor : DefaultBorderColor();
}

void TdxEditStyle::SetBorderColor(rtl::TColor value)
{
    set(svBorderColor, m_borderColor, value);
}

TdxEditBorderStyle TdxEditStyle::BorderStyle() const
{
    return isAssigned(svBorderStyle) ? m_borderStyle : DefaultBorderStyle();
}

void TdxEditStyle::SetBorderStyle(TdxEditBorderStyle value)
{
    set(svBorderStyle, m_borderStyle, value);
}

TdxEditButtonViewStyle TdxEditStyle::ButtonStyle() const
{
    return isAssigned(svButtonStyle) ? m_buttonStyle : DefaultButtonStyle();
}

void TdxEditStyle::SetButtonStyle(TdxEditButtonViewStyle value)
{
    set(svButtonStyle, m_buttonStyle, value);
}

TdxEditButtonTransparence TdxEditStyle::ButtonTransparence() const
{
    return isAssigned(svButtonTransparence) ? m_buttonTransparence : DefaultButtonTransparence();
}

void TdxEditStyle::SetButtonTransparence(TdxEditButtonTransparence value)
{
    set(svButtonTransparence, m_buttonTransparence, value);
}

TdxEditEdges TdxEditStyle::Edges() const
{
    return isAssigned(svEdges) ? m_edges : DefaultEdges();
}

void TdxEditStyle::SetEdges(TdxEditEdges value)
{
    value &= edgAll;
    set(svEdges, m_edges, value);
}

bool TdxEditStyle::HotTrack() const
{
    return isAssigned(svHotTrack) ? m_hotTrack : DefaultHotTrack();
}

void TdxEditStyle::SetHotTrack(bool value)
{
    set(svHotTrack, m_hotTrack, value);
}

bool TdxEditStyle::Shadow() const
{
    return isAssigned(svShadow) ? m_shadow : DefaultShadow();
}

void TdxEditStyle::SetShadow(bool value)
{
    set(svShadow, m_shadow, value);
}

void TdxEditStyle::Assign(const classes::TPersistent *source)
{
    if (const auto *other = dynamic_cast<const TdxEditStyle *>(source)) {
        SetBorderColor(other->BorderColor());
        SetBorderStyle(other->BorderStyle());
        SetButtonStyle(other->ButtonStyle());
        SetButtonTransparence(other->ButtonTransparence());
        SetEdges(other->Edges());
        SetHotTrack(other->HotTrack());
        SetShadow(other->Shadow());
        return;
    }
    classes::TPersistent::Assign(source);
}

void TdxEditStyle::Changed()
{
    if (m_edit)
        m_edit->StyleChanged();
}

const TdxEditStyleController *TdxEditStyle::source() const
{
    if (m_edit && m_edit->StyleController())
        return m_edit->StyleController();
    return GetDefaultStyleController();
}

rtl::TColor TdxEditStyle::DefaultBorderColor() const
{
    const TdxEditStyleController *c = source();
    return c ? c->BorderColor() : rtl::clWindowFrame;
}

TdxEditBorderStyle TdxEditStyle::DefaultBorderStyle() const
{
    const TdxEditStyleController *c = source();
    return c ? c->BorderStyle() : xbs3D;
}

TdxEditButtonViewStyle TdxEditStyle::DefaultButtonStyle() const
{
    const TdxEditStyleController *c = source();
    return c ? c->ButtonStyle() : btsDefault;
}

TdxEditButtonTransparence TdxEditStyle::DefaultButtonTransparence() const
{
    const TdxEditStyleController *c = source();
    return c ? c->ButtonTransparence() : ebtNone;
}

TdxEditEdges TdxEditStyle::DefaultEdges() const
{
    const TdxEditStyleController *c = source();
    return c ? c->Edges() : edgAll;
}

bool TdxEditStyle::DefaultHotTrack() const
{
    const TdxEditStyleController *c = source();
    return c ? c->HotTrack() : false;
}

bool TdxEditStyle::DefaultShadow() const
{
    const TdxEditStyleController *c = source();
    return c ? c->Shadow() : false;
}

TdxEditStyleController *TdxEditStyle::GetDefaultStyleController() const
{
    return DefaultEditStyleController();
}

void TdxEditStyle::RestoreDefaults()
{
    m_assignedValues = 0;
    Changed();
}

// ---- TdxStyleController ----------------------------------------------------

const classes::TMetaClass &TdxStyleController::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<TdxStyleController, classes::TComponent>("TdxStyleController");
    return meta;
}

TdxStyleController::TdxStyleController(classes::TComponent *owner)
    : classes::TComponent(owner)
{}

TdxStyleController::~TdxStyleController()
{
    // The editors that chose this controller hear of its end through their
    // free notification, which must find it marked.
    Destroying();
    m_listeners.clear();
}

void TdxStyleController::AddListener(InplaceEditor *edit)
{
    m_listeners.push_back(edit);
}

void TdxStyleController::RemoveListener(InplaceEditor *edit)
{
    const auto it = std::find(m_listeners.begin(), m_listeners.end(), edit);
    if (it != m_listeners.end())
        m_listeners.erase(it);
}

void TdxStyleController::NotifyListener(InplaceEditor *edit)
{
    if (OnStyleChanged)
        OnStyleChanged(this, edit);
}

bool TdxStyleController::HasListener(const InplaceEditor *edit) const
{
    return std::find(m_listeners.begin(), m_listeners.end(), edit) != m_listeners.end();
}

void TdxStyleController::EndUpdate()
{
    --m_updateCount;
    Changed();
}

void TdxStyleController::Changed()
{
    if (m_updateCount > 0 || HasState(classes::csLoading))
        return;
    // A handler may free an editor, which then leaves the list: each one is
    // told only while it is still listening.
    const std::vector<InplaceEditor *> listeners = m_listeners;
    for (InplaceEditor *edit : listeners)
        if (HasListener(edit))
            NotifyListener(edit);
}

void TdxStyleController::Loaded()
{
    classes::TComponent::Loaded();
    Changed();
}

// ---- TdxEditStyleController ------------------------------------------------

const classes::TMetaClass &TdxEditStyleController::StaticClass()
{
    using E = TdxEditStyleController;
    static const classes::TMetaClass meta =
        classes::MakeClass<E, TdxStyleController>("TdxEditStyleController", [](classes::TClassBuilder<E> &c) {
            c.Integer("BorderColor", &E::BorderColor, &E::SetBorderColor)
                .WithIdents(classes::ColorIdents())
                .Default(rtl::clWindowFrame);
            c.Enum("BorderStyle", borderStyleInfo(), &E::BorderStyle, &E::SetBorderStyle).Default(xbs3D);
            c.Enum("ButtonStyle", buttonStyleInfo(), &E::ButtonStyle, &E::SetButtonStyle).Default(btsDefault);
            c.Enum("ButtonTransparence", buttonTransparenceInfo(), &E::ButtonTransparence, &E::SetButtonTransparence)
                .Default(ebtNone);
            c.Set("Edges", edgeInfo(), QStringLiteral("TdxEditEdges"), &E::Edges, &E::SetEdges).Default(edgAll);
            c.Boolean("HotTrack", &E::HotTrack, &E::SetHotTrack).Default(false);
            c.Boolean("Shadow", &E::Shadow, &E::SetShadow).Default(false);
            c.Event("OnStyleChanged", static_cast<TdxStyleChangedEvent E::*>(&E::OnStyleChanged),
                    QStringLiteral("TdxStyleChangedEvent"));
        });
    return meta;
}

TdxEditStyleController::TdxEditStyleController(classes::TComponent *owner)
    : TdxStyleController(owner)
{}

template <class T>
void TdxEditStyleController::set(T &field, T value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void TdxEditStyleController::SetBorderColor(rtl::TColor value)
{
    set(m_borderColor, value);
}

void TdxEditStyleController::SetBorderStyle(TdxEditBorderStyle value)
{
    set(m_borderStyle, value);
}

void TdxEditStyleController::SetButtonStyle(TdxEditButtonViewStyle value)
{
    set(m_buttonStyle, value);
}

void TdxEditStyleController::SetButtonTransparence(TdxEditButtonTransparence value)
{
    set(m_buttonTransparence, value);
}

void TdxEditStyleController::SetEdges(TdxEditEdges value)
{
    set(m_edges, TdxEditEdges(value & edgAll));
}

void TdxEditStyleController::SetHotTrack(bool value)
{
    set(m_hotTrack, value);
}

void TdxEditStyleController::SetShadow(bool value)
{
    set(m_shadow, value);
}

void TdxEditStyleController::NotifyListener(InplaceEditor *edit)
{
    if (edit->StyleController() && edit->StyleController() != this)
        return;
    edit->StyleChanged();
    TdxStyleController::NotifyListener(edit);
}

void TdxEditStyleController::RestoreDefaults()
{
    BeginUpdate();
    SetBorderColor(rtl::clWindowFrame);
    SetBorderStyle(xbs3D);
    SetButtonStyle(btsDefault);
    SetButtonTransparence(ebtNone);
    SetEdges(edgAll);
    SetHotTrack(false);
    SetShadow(false);
    EndUpdate();
}

void TdxEditStyleController::Assign(const classes::TPersistent *source)
{
    if (const auto *other = dynamic_cast<const TdxEditStyleController *>(source)) {
        BeginUpdate();
        SetBorderColor(other->BorderColor());
        SetBorderStyle(other->BorderStyle());
        SetButtonStyle(other->ButtonStyle());
        SetButtonTransparence(other->ButtonTransparence());
        SetEdges(other->Edges());
        SetHotTrack(other->HotTrack());
        SetShadow(other->Shadow());
        EndUpdate();
        return;
    }
    TdxStyleController::Assign(source);
}

// ---- TdxCheckEditStyleController -------------------------------------------

const classes::TMetaClass &TdxCheckEditStyleController::StaticClass()
{
    using K = TdxCheckEditStyleController;
    // Only two defaults differ; the properties keep their places.
    static const classes::TMetaClass meta =
        classes::MakeClass<K, TdxEditStyleController>("TdxCheckEditStyleController", [](classes::TClassBuilder<K> &c) {
            c.Enum("BorderStyle", borderStyleInfo(), &K::BorderStyle, &K::SetBorderStyle).Default(xbsNone);
            c.Enum("ButtonStyle", buttonStyleInfo(), &K::ButtonStyle, &K::SetButtonStyle).Default(bts3D);
        });
    return meta;
}

TdxCheckEditStyleController::TdxCheckEditStyleController(classes::TComponent *owner)
    : TdxEditStyleController(owner)
{
    SetBorderStyle(xbsNone);
    SetButtonStyle(bts3D);
}

void TdxCheckEditStyleController::RestoreDefaults()
{
    BeginUpdate();
    TdxEditStyleController::RestoreDefaults();
    SetBorderStyle(xbsNone);
    SetButtonStyle(bts3D);
    EndUpdate();
}

// ---- The default controllers -----------------------------------------------

TdxEditStyleController *DefaultEditStyleController()
{
    DefaultControllers &d = defaults();
    if (!d.edit && !d.released)
        InitEditStyleControllers();
    return d.edit.get();
}

TdxCheckEditStyleController *DefaultCheckEditStyleController()
{
    DefaultControllers &d = defaults();
    if (!d.check && !d.released)
        InitEditStyleControllers();
    return d.check.get();
}

void InitEditStyleControllers()
{
    DefaultControllers &d = defaults();
    d.released = false;
    if (!d.edit)
        d.edit = std::make_unique<TdxEditStyleController>(nullptr);
    if (!d.check)
        d.check = std::make_unique<TdxCheckEditStyleController>(nullptr);
}

void DoneEditStyleControllers()
{
    DefaultControllers &d = defaults();
    d.released = true;
    d.check.reset();
    d.edit.reset();
}

} // namespace grid
