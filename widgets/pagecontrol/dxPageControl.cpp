#include "widgets/pagecontrol/dxPageControl.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/controls/ControlTypes.h"
#include "platform/controls/Guard.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/ImageList.h"
#include "platform/rtl/QtText.h"
#include "platform/rtl/StringTable.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace widgets {

namespace {

constexpr int SdxInvalidPageIndex = 65076;
const rtl::StringTableEntries PageControlTexts = {
    {SdxInvalidPageIndex, "%d is an invalid PageIndex value.  PageIndex must be between 0 and %d"}};

// The table's text with its "%d"s filled in order; the text is never a
// printf format.
std::string formatTableText(int id, std::initializer_list<int> values)
{
    std::string text = rtl::LoadStr(id);
    size_t at = 0;
    for (const int value : values) {
        at = text.find("%d", at);
        if (at == std::string::npos)
            break;
        const std::string number = std::to_string(value);
        text.replace(at, 2, number);
        at += number.size();
    }
    return text;
}

// Stores a property; true when the value changed, so that only a change
// costs a new layout or paint.
template <typename T>
bool assignIfChanged(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

// Asks the control's handler whether the active page may become page. A
// page the handler freed, or gave to another control, is no longer this
// control's to show.
bool changeAllowed(TdxCustomPageControl &control, TdxTabSheet *page)
{
    if (!control.OnChanging)
        return true;
    bool allowChange = true;
    const QPointer<TdxTabSheet> asked(page);
    control.OnChanging(&control, page, allowChange);
    return allowChange && (!page || (asked && asked->PageControl() == &control));
}

QWidget *firstFocusableIn(QWidget *page)
{
    // A page's controls need not follow it in the chain: those made after
    // the next page was come after that page and its controls.
    for (QWidget *w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain())
        if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(page))
            return w;
    return nullptr;
}

// Tells `enter` when the focus comes to the widget or a widget inside it from
// elsewhere, and `exit` when it goes elsewhere. A window that loses the
// activation keeps its focus widget, so that is neither. Qt reports the move
// while it is still making it, on the widgets it moves the focus between: the
// handlers run once Qt is done, so that they may free the widget, and a
// widget that went meanwhile hears nothing more.
QMetaObject::Connection watchFocus(QWidget *widget, bool &entered, std::function<void()> enter,
                                   std::function<void()> exit)
{
    return QObject::connect(
        qApp, &QApplication::focusChanged, widget,
        [widget, &entered, enter = std::move(enter), exit = std::move(exit)](QWidget *, QWidget *now) {
            if (!now)
                return;
            const bool inside = now == widget || widget->isAncestorOf(now);
            if (inside == entered)
                return;
            entered = inside;
            QMetaObject::invokeMethod(
                widget, [call = inside ? enter : exit] { controls::guarded(controls::Report::none(), call); },
                Qt::QueuedConnection);
        });
}

// A control's own Enabled, whatever its parent's: a page on a disabled
// control is not stored disabled.
bool ownEnabled(const QWidget &widget)
{
    return !widget.testAttribute(Qt::WA_ForceDisabled);
}

// The constraints become the widget's minimum and maximum size, now and on
// every change.
void followConstraints(QWidget *widget, classes::TSizeConstraints &constraints)
{
    constraints.OnChange = [widget, &constraints](classes::TObject *) {
        widget->setMinimumSize(constraints.MinWidth(), constraints.MinHeight());
        widget->setMaximumSize(constraints.MaxWidth() > 0 ? constraints.MaxWidth() : QWIDGETSIZE_MAX,
                               constraints.MaxHeight() > 0 ? constraints.MaxHeight() : QWIDGETSIZE_MAX);
    };
}

} // namespace

// --- streaming -------------------------------------------------------------

namespace {

const classes::TEnumInfo &AlignInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TAlign"),
                                         {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
    return info;
}

const classes::TEnumInfo &DragModeInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TDragMode"), {"dmManual", "dmAutomatic"});
    return info;
}

const classes::TEnumInfo &BiDiModeInfo()
{
    static const classes::TEnumInfo info(
        QStringLiteral("TBiDiMode"),
        {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"});
    return info;
}

// The mode a widget that follows its parent reads in: only the mirroring
// comes down through Qt.
controls::TBiDiMode inheritedBiDiMode(const QWidget &widget)
{
    return widget.layoutDirection() == Qt::RightToLeft ? controls::TBiDiMode::bdRightToLeft
                                                       : controls::TBiDiMode::bdLeftToRight;
}

// A page and its control keep their own reading order the same way: a mode set
// of their own wins over the parent's, and giving it up follows the parent again.
template <class Control>
void setOwnBiDiMode(Control &control, controls::TBiDiMode &stored, bool &parentFlag, controls::TBiDiMode value)
{
    stored = value;
    parentFlag = false;
    control.setLayoutDirection(controls::LayoutDirectionOf(value));
}

template <class Control>
void setParentBiDiModeOf(Control &control, bool &parentFlag, bool value)
{
    if (value) {
        parentFlag = true;
        control.unsetLayoutDirection();
    } else if (parentFlag) {
        control.SetBiDiMode(control.BiDiMode());
    }
}

const classes::TEnumInfo &DragKindInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TDragKind"), {"dkDrag", "dkDock"});
    return info;
}

const classes::TEnumInfo &AnchorKindInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TAnchorKind"), {"akLeft", "akTop", "akRight", "akBottom"});
    return info;
}

const classes::TEnumInfo &TabStyleInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxTabStyle"),
                                         {"dxtsTabs", "dxtsButtons", "dxtsFlatButtons", "dxtsFlat"});
    return info;
}

const classes::TEnumInfo &TabPositionInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxTabPosition"),
                                         {"dxtpTop", "dxtpBottom", "dxtpLeft", "dxtpRight"});
    return info;
}

// What a page and its control both publish of a control's drag, font,
// hint, reading order and menu settings, in the order they are written.
template <class T>
void publishSharedControlProperties(classes::TClassBuilder<T> &c)
{
    c.Enum("DragMode", DragModeInfo(), &T::DragMode, &T::SetDragMode).Default(int(controls::TDragMode::dmManual));
    c.Enum("DragKind", DragKindInfo(), &T::DragKind, &T::SetDragKind).Default(int(controls::TDragKind::dkDrag));
    c.Integer(
         "DragCursor", [](const T &p) { return int(p.DragCursor()); },
         [](T &p, int v) { p.SetDragCursor(controls::TCursor(v)); })
        .WithIdents(controls::CursorIdents())
        .Default(controls::crDrag);
    c.Object("Font", [](const T &p) { return p.FontObject(); }).Stored([](const classes::TPersistent &o) {
        return !static_cast<const T &>(o).ParentFont();
    });
    c.Boolean("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    c.Boolean("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    c.Boolean("ShowHint", &T::ShowHint, &T::SetShowHint).Stored([](const classes::TPersistent &o) {
        return !static_cast<const T &>(o).ParentShowHint();
    });
    c.Enum("BiDiMode", BiDiModeInfo(), &T::BiDiMode, &T::SetBiDiMode).Stored([](const classes::TPersistent &o) {
        return !static_cast<const T &>(o).ParentBiDiMode();
    });
    c.Boolean("ParentBiDiMode", &T::ParentBiDiMode, &T::SetParentBiDiMode).Default(true);
    c.Reference("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
}

} // namespace

const classes::TMetaClass &TdxTabSheet::StaticClass()
{
    using T = TdxTabSheet;
    static const classes::TMetaClass meta =
        classes::MakeClass<T, classes::TComponent>("TdxTabSheet", [](classes::TClassBuilder<T> &c) {
            c.String(
                 "Caption", [](const T &p) { return p.Caption(); }, [](T &p, const QString &v) { p.SetCaption(v); })
                .NoDefault();
            c.Boolean(
                 "Enabled", [](const T &p) { return ownEnabled(p); }, [](T &p, bool v) { p.QWidget::setEnabled(v); })
                .Default(true);
            c.Integer("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(0);
            c.Boolean("TabVisible", &T::TabVisible, &T::SetTabVisible).Default(true);
            c.Boolean("Highlighted", &T::Highlighted, &T::SetHighlighted).Default(false);
            // The place in the list follows from the order the pages are
            // stored in.
            c.Integer("PageIndex", &T::PageIndex, &T::SetPageIndex).Stored(false);
            c.Integer("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
            publishSharedControlProperties(c);
            c.Object("Constraints", &T::Constraints);
            // The control shows, places and sizes its pages itself.
            c.Boolean("Visible", [](const T &p) { return !p.QWidget::isHidden(); }).Stored(false);
            c.Integer("Left", [](const T &p) { return p.QWidget::x(); }).Stored(false);
            c.Integer("Top", [](const T &p) { return p.QWidget::y(); }).Stored(false);
            c.Integer("Width", [](const T &p) { return p.QWidget::width(); }).Stored(false);
            c.Integer("Height", [](const T &p) { return p.QWidget::height(); }).Stored(false);
            c.Event("OnContextPopup", &T::OnContextPopup, QStringLiteral("TContextPopupEvent"));
            c.Event("OnDragDrop", &T::OnDragDrop, QStringLiteral("TDragDropEvent"));
            c.Event("OnDragOver", &T::OnDragOver, QStringLiteral("TDragOverEvent"));
            c.Event("OnEndDock", &T::OnEndDock, QStringLiteral("TEndDockEvent"));
            c.Event("OnEndDrag", &T::OnEndDrag, QStringLiteral("TEndDragEvent"));
            c.Event("OnEnter", &T::OnEnter);
            c.Event("OnExit", &T::OnExit);
            c.Event("OnHide", &T::OnHide);
            c.Event("OnMouseDown", &T::OnMouseDown, QStringLiteral("TMouseEvent"));
            c.Event("OnMouseMove", &T::OnMouseMove, QStringLiteral("TMouseMoveEvent"));
            c.Event("OnMouseUp", &T::OnMouseUp, QStringLiteral("TMouseEvent"));
            c.Event("OnResize", &T::OnResize);
            c.Event("OnShow", &T::OnShow);
            c.Event("OnStartDock", &T::OnStartDock, QStringLiteral("TStartDockEvent"));
            c.Event("OnStartDrag", &T::OnStartDrag, QStringLiteral("TStartDragEvent"));
        });
    return meta;
}

const classes::TMetaClass &TdxCustomPageControl::StaticClass()
{
    using T = TdxCustomPageControl;
    static const classes::TMetaClass meta =
        classes::MakeClass<T, classes::TComponent>("TdxCustomPageControl", [](classes::TClassBuilder<T> &c) {
            // The bounds every control keeps in a stored layout; they come
            // first, so that the pages are laid out in the stored size.
            c.Integer(
                "Left", [](const T &p) { return p.QWidget::x(); },
                [](T &p, int v) { p.QWidget::move(v, p.QWidget::y()); });
            c.Integer(
                "Top", [](const T &p) { return p.QWidget::y(); },
                [](T &p, int v) { p.QWidget::move(p.QWidget::x(), v); });
            c.Integer(
                "Width", [](const T &p) { return p.QWidget::width(); },
                [](T &p, int v) { p.QWidget::resize(v, p.QWidget::height()); });
            c.Integer(
                "Height", [](const T &p) { return p.QWidget::height(); },
                [](T &p, int v) { p.QWidget::resize(p.QWidget::width(), v); });
        });
    return meta;
}

const classes::TMetaClass &TdxPageControl::StaticClass()
{
    using T = TdxPageControl;
    static const classes::TMetaClass meta =
        classes::MakeClass<T, TdxCustomPageControl>("TdxPageControl", [](classes::TClassBuilder<T> &c) {
            // Every one of them is written, whatever its value.
            c.Reference("ActivePage", &T::ActivePage, &T::SetActivePage);
            c.Enum("Align", AlignInfo(), &T::Align, &T::SetAlign).Default(int(controls::TAlign::alNone));
            c.Set(
                 "Anchors", AnchorKindInfo(), QStringLiteral("TAnchors"),
                 [](const T &p) { return int64_t(p.Anchors()); },
                 [](T &p, int64_t v) { p.SetAnchors(controls::TAnchors(v)); })
                .Default(controls::DefaultAnchors);
            c.Boolean("HideButtons", &T::HideButtons, &T::SetHideButtons).NoDefault();
            c.Boolean("HotTrack", &T::HotTrack, &T::SetHotTrack).NoDefault();
            c.Reference(
                "Images", [](const T &p) { return p.ImagesComponent(); },
                [](T &p, classes::TCustomImageList *v) { p.SetImagesComponent(v); });
            c.Boolean("MultiLine", &T::MultiLine, &T::SetMultiLine).NoDefault();
            c.Boolean("OwnerDraw", &T::OwnerDraw, &T::SetOwnerDraw).NoDefault();
            c.Boolean("RaggedRight", &T::RaggedRight, &T::SetRaggedRight).NoDefault();
            c.Boolean("ScrollOpposite", &T::ScrollOpposite, &T::SetScrollOpposite).NoDefault();
            c.Enum("Style", TabStyleInfo(), &T::Style, &T::SetStyle).NoDefault();
            c.Integer("TabHeight", &T::TabHeight, &T::SetTabHeight).NoDefault();
            c.Enum("TabPosition", TabPositionInfo(), &T::TabPosition, &T::SetTabPosition).NoDefault();
            c.Integer("TabWidth", &T::TabWidth, &T::SetTabWidth).NoDefault();
            c.Boolean("DockSite", &T::DockSite, &T::SetDockSite).Default(false);
            c.Boolean("TabStop", &T::TabStop, &T::SetTabStop).Default(true);
            c.Integer("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
            publishSharedControlProperties(c);
            c.Object("Constraints", [](const T &p) { return p.Constraints(); });
            // Hidden only when hidden on purpose: a control not shown yet,
            // or on a window not shown yet, is visible.
            c.Boolean(
                 "Visible",
                 [](const T &p) {
                     return !p.QWidget::isHidden() || !p.QWidget::testAttribute(Qt::WA_WState_ExplicitShowHide);
                 },
                 [](T &p, bool v) { p.QWidget::setVisible(v); })
                .Default(true);
            c.Boolean(
                 "Enabled", [](const T &p) { return ownEnabled(p); }, [](T &p, bool v) { p.QWidget::setEnabled(v); })
                .Default(true);
            // Declared on the base, published here.
            c.Event<void(TdxCustomPageControl *)>("OnChange", &T::OnChange);
            c.Event<void(TdxCustomPageControl *, TdxTabSheet *, bool &)>("OnChanging", &T::OnChanging,
                                                                         QStringLiteral("TdxTabChangingEvent"));
            c.Event<void(TdxCustomPageControl *, int, const rtl::TRect &, bool)>("OnDrawTab", &T::OnDrawTab,
                                                                                 QStringLiteral("TdxDrawTabEvent"));
            c.Event<void(TdxCustomPageControl *, TdxDrawTabExRecord &)>("OnDrawTabEx", &T::OnDrawTabEx,
                                                                        QStringLiteral("TdxDrawTabExEvent"));
            c.Event<void(TdxCustomPageControl *, int, int &)>("OnGetImageIndex", &T::OnGetImageIndex,
                                                              QStringLiteral("TdxTabGetImageEvent"));
            c.Event<void(classes::TObject *, QPoint, bool &)>("OnContextPopup", &T::OnContextPopup,
                                                              QStringLiteral("TContextPopupEvent"));
            c.Event<void(classes::TObject *, const QDropEvent &, int, int)>("OnDragDrop", &T::OnDragDrop,
                                                                            QStringLiteral("TDragDropEvent"));
            c.Event<void(classes::TObject *, const QDropEvent &, int, int, TDragState, bool &)>(
                "OnDragOver", &T::OnDragOver, QStringLiteral("TDragOverEvent"));
            c.Event<void(classes::TObject *, QWidget *, int, int)>("OnDockDrop", &T::OnDockDrop,
                                                                   QStringLiteral("TDockDropEvent"));
            c.Event<void(classes::TObject *, QObject *, int, int)>("OnEndDrag", &T::OnEndDrag,
                                                                   QStringLiteral("TEndDragEvent"));
            c.Event<void(classes::TObject *, QObject *, int, int)>("OnEndDock", &T::OnEndDock,
                                                                   QStringLiteral("TEndDockEvent"));
            c.Event<void(classes::TObject *, TDragDockObject &)>("OnStartDock", &T::OnStartDock,
                                                                 QStringLiteral("TStartDockEvent"));
            c.Event<void(classes::TObject *, TDragDockObject &, int, int, TDragState, bool &)>(
                "OnDockOver", &T::OnDockOver, QStringLiteral("TDockOverEvent"));
            c.Event<void(classes::TObject *, QWidget *, QRect &, QPoint, bool &)>("OnGetSiteInfo", &T::OnGetSiteInfo,
                                                                                  QStringLiteral("TGetSiteInfoEvent"));
            c.Event<void(classes::TObject *)>("OnEnter", &T::OnEnter);
            c.Event<void(classes::TObject *)>("OnExit", &T::OnExit);
            c.Event<void(classes::TObject *)>("OnResize", &T::OnResize);
            c.Event<void(classes::TObject *, QDrag &)>("OnStartDrag", &T::OnStartDrag,
                                                       QStringLiteral("TStartDragEvent"));
            c.Event<void(classes::TObject *, QWidget *, QWidget *, bool &)>("OnUnDock", &T::OnUnDock,
                                                                            QStringLiteral("TUnDockEvent"));
            c.Event<void(classes::TObject *, controls::TMouseButton, controls::TShiftState, int, int)>(
                "OnMouseDown", &T::OnMouseDown, QStringLiteral("TMouseEvent"));
            c.Event<void(classes::TObject *, controls::TShiftState, int, int)>("OnMouseMove", &T::OnMouseMove,
                                                                               QStringLiteral("TMouseMoveEvent"));
            c.Event<void(classes::TObject *, controls::TMouseButton, controls::TShiftState, int, int)>(
                "OnMouseUp", &T::OnMouseUp, QStringLiteral("TMouseEvent"));
        });
    return meta;
}

void RegisterPageControlClasses()
{
    // The image list and popup menus a stored control names come from the
    // same layout.
    classes::RegisterClasses({&TdxTabSheet::StaticClass(), &TdxPageControl::StaticClass(),
                              &classes::TImageList::StaticClass(), &controls::TPopupMenu::StaticClass(),
                              &controls::TMenuItem::StaticClass()});
}

// --- TdxTabSheet -------------------------------------------------------------

TdxTabSheet::TdxTabSheet(QWidget *parent)
    : QWidget(parent)
    , classes::TComponent(nullptr)
{
    QWidget::setVisible(false);
    setMouseTracking(true);
    setAcceptDrops(true);
    m_fontObject->OnChange = [this](classes::TObject *) {
        m_parentFont = false;
        setFont(gfx::ToQFont(m_fontObject->Font(), logicalDpiY()));
    };
    followConstraints(this, *m_constraints);
    m_focusWatch = watchFocus(
        this, m_entered, [this] { OnEnter ? OnEnter(this) : void(); }, [this] { OnExit ? OnExit(this) : void(); });
    if (auto *control = qobject_cast<TdxCustomPageControl *>(parent))
        SetPageControl(control);
}

TdxTabSheet::TdxTabSheet(TdxCustomPageControl *control)
    : TdxTabSheet(static_cast<QWidget *>(control))
{}

TdxTabSheet::TdxTabSheet(classes::TComponent *owner)
    : QWidget(nullptr)
    , classes::TComponent(owner)
{
    QWidget::setVisible(false);
    setMouseTracking(true);
    setAcceptDrops(true);
    m_fontObject->OnChange = [this](classes::TObject *) {
        m_parentFont = false;
        setFont(gfx::ToQFont(m_fontObject->Font(), logicalDpiY()));
    };
    followConstraints(this, *m_constraints);
    m_focusWatch = watchFocus(
        this, m_entered, [this] { OnEnter ? OnEnter(this) : void(); }, [this] { OnExit ? OnExit(this) : void(); });
}

classes::TComponent *TdxTabSheet::GetParentComponent() const
{
    return m_pageControl;
}

void TdxTabSheet::SetParentComponent(classes::TComponent *parent)
{
    if (auto *control = dynamic_cast<TdxCustomPageControl *>(parent))
        SetPageControl(control);
}

void TdxTabSheet::Notification(classes::TComponent *component, classes::TOperation operation)
{
    classes::TComponent::Notification(component, operation);
    if (operation == classes::TOperation::opRemove && component == m_popupMenu)
        m_popupMenu = nullptr;
}

void TdxTabSheet::SetPopupMenu(controls::TPopupMenu *menu)
{
    if (menu == m_popupMenu)
        return;
    if (m_popupMenu)
        RemoveFreeNotification(m_popupMenu);
    m_popupMenu = menu;
    if (menu)
        FreeNotification(menu);
}

TdxTabSheet::~TdxTabSheet()
{
    Destroying();
    // The focus moves while child widgets go; the events are gone by then.
    QObject::disconnect(m_focusWatch);
    if (m_pageControl)
        m_pageControl->removePage(this);
}

void TdxTabSheet::SetPageControl(TdxCustomPageControl *control)
{
    // A page on its way out goes to no other control.
    if (control == m_pageControl || (control && HasState(classes::csDestroying)))
        return;
    if (m_pageControl) {
        // The old control's handlers may free it, and this page with it, or
        // the control this page is going to.
        const QPointer<TdxTabSheet> self(this);
        const QPointer<TdxCustomPageControl> target(control);
        m_pageControl->removePage(this);
        if (!self || (control && !target))
            return;
    }
    setParent(control);
    if (control)
        control->insertPage(this);
}

int TdxTabSheet::PageIndex() const
{
    if (!m_pageControl)
        return -1;
    const auto &pages = m_pageControl->m_pages;
    const auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : int(it - pages.begin());
}

void TdxTabSheet::SetPageIndex(int value)
{
    if (!m_pageControl)
        return;
    auto &pages = m_pageControl->m_pages;
    const int maxIndex = int(pages.size()) - 1;
    char text[160];
    if (value > maxIndex)
        throw EListError(formatTableText(SdxInvalidPageIndex, {value, maxIndex}));
    if (value < 0) {
        std::snprintf(text, sizeof text, "List index out of bounds (%d)", value);
        throw EListError(text);
    }
    const int current = PageIndex();
    // A page on its way out of its control has no place to move from.
    if (current == value || current < 0)
        return;
    pages.erase(pages.begin() + current);
    pages.insert(pages.begin() + value, this);
    if (m_tabShowing)
        m_pageControl->painter().moveTab(this, TabIndex());
    m_pageControl->m_tabIndex = m_pageControl->m_activePage ? m_pageControl->m_activePage->TabIndex() : -1;
    m_pageControl->relayout();
}

int TdxTabSheet::TabIndex() const
{
    if (!m_tabShowing || !m_pageControl)
        return -1;
    int index = 0;
    for (const TdxTabSheet *page : m_pageControl->m_pages) {
        if (page == this)
            return index;
        if (page->m_tabShowing)
            ++index;
    }
    return -1;
}

void TdxTabSheet::SetCaption(const QString &caption)
{
    if (assignIfChanged(m_caption, caption) && m_tabShowing)
        m_pageControl->relayout();
}

void TdxTabSheet::SetTabVisible(bool value)
{
    if (assignIfChanged(m_tabVisible, value))
        updateTabShowing();
}

void TdxTabSheet::SetImageIndex(int value)
{
    if (assignIfChanged(m_imageIndex, value) && m_tabShowing)
        m_pageControl->relayout();
}

// Setting ShowHint leaves the parent's, as the class library does.
void TdxTabSheet::SetParentFont(bool value)
{
    if (value == m_parentFont)
        return;
    m_parentFont = value;
    if (value)
        setFont(QFont());
}

void TdxTabSheet::SetShowHint(bool value)
{
    m_showHint = value;
    m_parentShowHint = false;
}

void TdxTabSheet::SetParentShowHint(bool value)
{
    m_parentShowHint = value;
    if (value)
        m_showHint = m_pageControl ? m_pageControl->HintsShown() : true;
}

bool TdxTabSheet::HintsShown() const
{
    if (!m_parentShowHint)
        return m_showHint;
    return m_pageControl ? m_pageControl->HintsShown() : true;
}

controls::TBiDiMode TdxTabSheet::BiDiMode() const
{
    if (!m_parentBiDiMode)
        return m_biDiMode;
    return m_pageControl ? m_pageControl->BiDiMode() : inheritedBiDiMode(*this);
}

void TdxTabSheet::SetBiDiMode(controls::TBiDiMode value)
{
    setOwnBiDiMode(*this, m_biDiMode, m_parentBiDiMode, value);
}

void TdxTabSheet::SetParentBiDiMode(bool value)
{
    setParentBiDiModeOf(*this, m_parentBiDiMode, value);
}

void TdxTabSheet::SetBorderWidth(int value)
{
    if (assignIfChanged(m_borderWidth, std::max(0, value)))
        setContentsMargins(m_borderWidth, m_borderWidth, m_borderWidth, m_borderWidth);
}

void TdxTabSheet::SetHighlighted(bool value)
{
    // While a layout is read the strip is not final yet; the control applies
    // the value again once it has been loaded.
    if (assignIfChanged(m_highlighted, value) && m_pageControl && !m_pageControl->Loading())
        m_pageControl->invalidateStrip(m_pageControl->painter().stripRect());
}

int TdxTabSheet::tabImageIndex() const
{
    int index = m_imageIndex;
    if (m_pageControl && m_pageControl->OnGetImageIndex)
        m_pageControl->OnGetImageIndex(m_pageControl, PageIndex(), index);
    return index;
}

void TdxTabSheet::updateTabShowing()
{
    const bool showing = m_pageControl && m_tabVisible;
    if (showing == m_tabShowing)
        return;
    m_tabShowing = showing;
    if (m_pageControl)
        m_pageControl->tabShowingChanged(this);
}

void TdxTabSheet::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    showingChanged(true);
}

void TdxTabSheet::showingChanged(bool shown)
{
    if (m_holdShowing) {
        m_heldShowing = shown ? 1 : -1;
        return;
    }
    if (shown && OnShow)
        controls::guarded(controls::Report::none(), [&] { OnShow(this); });
    else if (!shown && OnHide)
        controls::guarded(controls::Report::none(), [&] { OnHide(this); });
}

void TdxTabSheet::setShowing(bool visible)
{
    const bool held = std::exchange(m_holdShowing, true);
    setVisible(visible);
    m_holdShowing = held;
    if (!held && m_heldShowing != 0)
        showingChanged(std::exchange(m_heldShowing, 0) > 0);
}

void TdxTabSheet::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (OnResize)
        controls::guarded(controls::Report::none(), [&] { OnResize(this); });
}

void TdxTabSheet::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!m_shown)
        return;
    m_shown = false;
    showingChanged(false);
}

// --- TdxCustomPageControl: pages and activation --------------------------------

TdxCustomPageControl::TdxCustomPageControl(classes::TComponent *owner)
    : TdxCustomPageControl(static_cast<QWidget *>(nullptr))
{
    if (owner)
        owner->InsertComponent(this);
}

TdxCustomPageControl::TdxCustomPageControl(QWidget *parent)
    : QWidget(parent)
    , classes::TComponent(nullptr)
    , m_repeatTimer([this] {
        const QPoint p = mapFromGlobal(QCursor::pos());
        m_painter->timerTick({p.x(), p.y()});
    })
{
    m_measurer = &m_realMeasurer;
    m_painter = createTabPainter(m_options.style, this);
    resize(200, 200);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAcceptDrops(true);
    followConstraints(this, *m_constraints);
    m_fontObject->OnChange = [this](classes::TObject *) {
        if (!m_syncingFont)
            SetFont(m_fontObject->Font());
    };
    m_focusWatch = watchFocus(
        this, m_entered, [this] { OnEnter ? OnEnter(this) : void(); }, [this] { OnExit ? OnExit(this) : void(); });
    qApp->installEventFilter(this);
}

TdxCustomPageControl::~TdxCustomPageControl()
{
    qApp->removeEventFilter(this);
    QObject::disconnect(m_focusWatch);
    // Docked clients die with their pages, after this control's own part.
    forgetDockClients([](const DockClient &) { return true; });
    // Pages die with the child widgets; they must not call back into a
    // control that is half gone.
    for (TdxTabSheet *page : m_pages) {
        page->m_pageControl = nullptr;
        page->m_tabShowing = false;
    }
    m_pages.clear();
    // A page whose removal called the handler that frees this control is
    // being freed or moved by its own caller.
    for (TdxTabSheet *page : std::exchange(m_leaving, {})) {
        page->m_pageControl = nullptr;
        page->m_tabShowing = false;
        page->setParent(nullptr);
    }
    m_activePage = nullptr;
    // Pages a stored layout made are owned by the control as a component;
    // they go now, while the widget they sit on is still whole.
    Destroying();
    DestroyComponents();
    if (m_images)
        m_images->unsubscribe(m_imageLink);
    m_painter.reset();
}

TdxTabSheet *TdxCustomPageControl::Pages(int index) const
{
    return index >= 0 && index < PageCount() ? m_pages[size_t(index)] : nullptr;
}

int TdxCustomPageControl::ActivePageIndex() const
{
    return m_activePage ? m_activePage->PageIndex() : -1;
}

void TdxCustomPageControl::SetActivePageIndex(int index)
{
    SetActivePage(Pages(index));
}

TdxTabSheet *TdxCustomPageControl::PageForTab(int tabIndex) const
{
    if (tabIndex < 0)
        return nullptr;
    int index = 0;
    for (TdxTabSheet *page : m_pages) {
        if (!page->m_tabShowing && page != m_activePage)
            continue;
        if (index == tabIndex)
            return page;
        ++index;
    }
    return nullptr;
}

void TdxCustomPageControl::SetTabIndex(int index)
{
    TdxTabSheet *page = PageForTab(index);
    if (page != m_activePage)
        SetActivePage(page);
}

void TdxCustomPageControl::SetActivePage(TdxTabSheet *page)
{
    if (page && page->m_pageControl != this)
        return;
    if (page == m_activePage)
        return;
    const QPointer<TdxCustomPageControl> self(this);
    // A stored layout names its active page; nobody is asked about that.
    if (!Loading() && !changeAllowed(*this, page))
        return;
    // The handler may have freed this control, or switched to the page
    // itself (freeing the active page selects the next one).
    if (!self || page == m_activePage)
        return;
    changeActivePage(page);
    if (!self)
        return;
    m_painter->makeActiveVisible();
    relayout();
}

void TdxCustomPageControl::changeActivePage(TdxTabSheet *page)
{
    // OnShow, OnHide, OnEnter and OnExit run inside the visibility and focus
    // changes below; they may free or switch the pages and free this
    // control. Each is held by its QPointer and checked after every such
    // call; a switch a handler made stands, and this one ends there.
    const QPointer<TdxCustomPageControl> self(this);
    const QPointer<TdxTabSheet> old(m_activePage);
    QWidget *focus = window()->focusWidget();
    const bool focusInOld = old && focus && (focus == old || old->isAncestorOf(focus));
    const auto overtaken = [&] {
        if (!self)
            return true;
        if (m_activePage == page)
            return false;
        // The handler's switch stands; the page this one left does not stay
        // on show beside its page.
        if (old && old != m_activePage && old->m_pageControl == this && old->isVisibleTo(this))
            old->setShowing(false);
        return true;
    };
    m_activePage = page;
    if (page) {
        page->setGeometry(gfx::ToQRect(displayRect()));
        page->raise();
        page->setShowing(true);
        if (overtaken())
            return;
    }
    if (focusInOld) {
        if (QWidget *first = page ? firstFocusableIn(page) : nullptr)
            first->setFocus(Qt::OtherFocusReason);
        else if (focusPolicy() != Qt::NoFocus)
            setFocus(Qt::OtherFocusReason);
        if (overtaken())
            return;
    }
    // The page left may have gone to another control meanwhile.
    if (old && old != page && old->m_pageControl == this) {
        old->setShowing(false);
        if (overtaken())
            return;
    }
    m_tabIndex = page ? page->TabIndex() : -1;
    changed();
}

void TdxCustomPageControl::changed()
{
    if (m_tabIndex >= 0)
        UpdateActivePage();
    if (OnChange && !Loading())
        OnChange(this);
}

void TdxCustomPageControl::UpdateActivePage()
{
    SetActivePage(m_tabIndex >= 0 ? PageForTab(m_tabIndex) : nullptr);
}

TdxTabSheet *TdxCustomPageControl::FindNextPage(TdxTabSheet *curPage, bool goForward, bool checkTabVisible) const
{
    const int n = PageCount();
    if (n == 0)
        return nullptr;
    const auto it = std::find(m_pages.begin(), m_pages.end(), curPage);
    int start = it == m_pages.end() ? (goForward ? n - 1 : 0) : int(it - m_pages.begin());
    int i = start;
    do {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TdxTabSheet *page = m_pages[size_t(i)];
        if (!checkTabVisible || page->m_tabVisible)
            return page;
    } while (i != start);
    return nullptr;
}

void TdxCustomPageControl::SelectNextPage(bool goForward, bool checkTabVisible)
{
    TdxTabSheet *page = FindNextPage(m_activePage, goForward, checkTabVisible);
    if (!page || page == m_activePage)
        return;
    const QPointer<TdxCustomPageControl> self(this);
    if (!changeAllowed(*this, page) || !self)
        return;
    SetActivePage(page);
    if (self && m_tabIndex >= 0)
        UpdateActivePage();
}

void TdxCustomPageControl::insertPage(TdxTabSheet *page)
{
    m_pages.push_back(page);
    page->m_pageControl = this;
    page->updateTabShowing();
    page->setGeometry(gfx::ToQRect(displayRect()));
    // While a layout is read, the stored ActivePage decides.
    if (!m_activePage && !Loading()) {
        const QPointer<TdxCustomPageControl> self(this);
        SetActivePage(page);
        if (!self)
            return;
    }
    relayout();
}

void TdxCustomPageControl::Loaded()
{
    classes::TComponent::Loaded();
    if (const std::optional<int> order = std::exchange(m_loadedTabOrder, std::nullopt))
        SetTabOrder(*order);
    for (TdxTabSheet *page : m_pages) {
        const bool highlighted = page->m_highlighted;
        page->m_highlighted = !highlighted;
        page->SetHighlighted(highlighted);
    }
    relayout();
}

void TdxCustomPageControl::GetChildren(const classes::TGetChildProc &proc, classes::TComponent *root)
{
    // Pages made in code have no owner: they belong to the control.
    for (TdxTabSheet *page : std::vector<TdxTabSheet *>(m_pages))
        if (page->Owner() == root || !page->Owner())
            proc(page);
}

void TdxCustomPageControl::removePage(TdxTabSheet *page)
{
    TdxTabSheet *next = FindNextPage(page, true, true);
    if (next == page)
        next = nullptr;
    m_pages.erase(std::remove(m_pages.begin(), m_pages.end(), page), m_pages.end());
    // The page after the removed one is selected, whichever page was on
    // show: where it is on show already nothing changes, else the change is
    // asked for and told as any other. The handlers may free this control,
    // the page then leaving it all the same, or free a page that was being
    // moved, whose own removal then did the rest.
    const QPointer<TdxCustomPageControl> self(this);
    const QPointer<TdxTabSheet> held(page);
    m_leaving.push_back(page);
    const auto gone = [&] {
        if (!held)
            return true;
        if (self)
            return false;
        page->m_pageControl = nullptr;
        page->m_tabShowing = false;
        return true;
    };
    struct Left
    {
        const QPointer<TdxCustomPageControl> &control;
        TdxTabSheet *page;
        ~Left()
        {
            if (control)
                std::erase(control->m_leaving, page);
        }
    } left{self, page};
    SetActivePage(next);
    if (gone())
        return;
    if (m_activePage == page) {
        // A veto cannot keep a page that is leaving the control.
        m_activePage = nullptr;
        m_tabIndex = -1;
        page->setShowing(false);
        if (gone())
            return;
    }
    page->m_pageControl = nullptr;
    page->m_tabShowing = false;
    m_painter->removeTab(page);
    if (std::any_of(m_dockClients.begin(), m_dockClients.end(),
                    [&](const DockClient &d) { return d.page == page && d.client == m_dragClient; }))
        endClientDrag(m_dragClient);
    forgetDockClients([page](const DockClient &d) { return d.page == page; });
    m_tabIndex = m_activePage ? m_activePage->TabIndex() : -1;
    relayout();
}

void TdxCustomPageControl::tabShowingChanged(TdxTabSheet *page)
{
    if (page->m_tabShowing) {
        m_painter->addTab(page, page->TabIndex());
        m_tabIndex = m_activePage ? m_activePage->TabIndex() : -1;
    } else {
        m_painter->removeTab(page);
        m_tabIndex = m_activePage && m_activePage != page ? m_activePage->TabIndex() : -1;
        const QPointer<TdxCustomPageControl> self(this);
        UpdateActivePage();
        if (!self)
            return;
    }
    relayout();
}

// --- properties ----------------------------------------------------------------

namespace {

// The parent's child widgets in the order its window's focus chain visits
// them.
std::vector<QWidget *> siblingsInFocusOrder(const QWidget &control)
{
    std::vector<QWidget *> siblings;
    QWidget *parent = control.parentWidget();
    if (!parent)
        return siblings;
    // Every windowed control has a place, an empty panel too; a label or
    // picture is drawn on its parent in the class library and has none.
    auto counts = [&control](QWidget *w) { return w == &control || !controls::IsGraphicControl(w); };
    for (QWidget *w = parent->nextInFocusChain(); w && w != parent; w = w->nextInFocusChain())
        if (w->parentWidget() == parent && !w->isWindow() && counts(w))
            siblings.push_back(w);
    return siblings;
}

} // namespace

int TdxCustomPageControl::TabOrder() const
{
    const std::vector<QWidget *> siblings = siblingsInFocusOrder(*this);
    const auto it = std::find(siblings.begin(), siblings.end(), this);
    return it == siblings.end() ? -1 : int(it - siblings.begin());
}

void TdxCustomPageControl::SetTabOrder(int value)
{
    if (Loading()) {
        m_loadedTabOrder = value;
        return;
    }
    std::vector<QWidget *> siblings = siblingsInFocusOrder(*this);
    const auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it == siblings.end())
        return;
    siblings.erase(it);
    const int place = std::clamp(value, 0, int(siblings.size()));
    siblings.insert(siblings.begin() + place, this);

    // Each sibling moves with the widgets inside it, which Qt moves one by
    // one; and Qt moves none that takes no focus (a page, a control with
    // HideButtons), so those take it for the while. The run hangs off the
    // parent: Qt cannot put a widget after the one before it across the
    // chain's wrap.
    QWidget *parent = parentWidget();
    std::vector<QWidget *> chain{parent};
    for (QWidget *sibling : siblings) {
        chain.push_back(sibling);
        for (QWidget *w = parent->nextInFocusChain(); w && w != parent; w = w->nextInFocusChain())
            if (sibling->isAncestorOf(w) && w->window() == sibling->window())
                chain.push_back(w);
    }
    std::vector<QWidget *> lifted;
    for (QWidget *w : chain)
        if (w->focusPolicy() == Qt::NoFocus) {
            w->setFocusPolicy(Qt::TabFocus);
            lifted.push_back(w);
        }
    for (size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    for (QWidget *w : lifted)
        w->setFocusPolicy(Qt::NoFocus);
}

void TdxCustomPageControl::SetHideButtons(bool value)
{
    if (!assignIfChanged(m_options.hideButtons, value))
        return;
    updateFocusPolicy();
    relayout();
}

void TdxCustomPageControl::SetAlign(controls::TAlign value)
{
    m_align = value;
    if (QWidget *parent = parentWidget())
        setGeometry(controls::AlignedBounds(m_align, geometry(), parent->size()));
}

void TdxCustomPageControl::SetShowHint(bool value)
{
    m_showHint = value;
    m_parentShowHint = false;
}

void TdxCustomPageControl::SetParentShowHint(bool value)
{
    m_parentShowHint = value;
    if (value)
        m_showHint = true;
}

controls::TBiDiMode TdxCustomPageControl::BiDiMode() const
{
    return m_parentBiDiMode ? inheritedBiDiMode(*this) : m_biDiMode;
}

void TdxCustomPageControl::SetBiDiMode(controls::TBiDiMode value)
{
    setOwnBiDiMode(*this, m_biDiMode, m_parentBiDiMode, value);
}

void TdxCustomPageControl::SetParentBiDiMode(bool value)
{
    setParentBiDiModeOf(*this, m_parentBiDiMode, value);
}

void TdxCustomPageControl::SetTabStop(bool value)
{
    if (assignIfChanged(m_tabStop, value))
        updateFocusPolicy();
}

void TdxCustomPageControl::updateFocusPolicy()
{
    // Without a strip there is nothing in the control itself to focus.
    if (m_options.hideButtons)
        setFocusPolicy(Qt::NoFocus);
    else
        setFocusPolicy(m_tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TdxCustomPageControl::SetHotTrack(bool value)
{
    if (assignIfChanged(m_options.hotTrack, value))
        relayout();
}

void TdxCustomPageControl::SetPopupMenu(controls::TPopupMenu *menu)
{
    if (menu == m_popupMenu)
        return;
    if (m_popupMenu)
        RemoveFreeNotification(m_popupMenu);
    m_popupMenu = menu;
    if (menu)
        FreeNotification(menu);
}

void TdxCustomPageControl::SetImagesComponent(classes::TCustomImageList *images)
{
    if (images == m_imagesComponent)
        return;
    if (m_imagesComponent)
        RemoveFreeNotification(m_imagesComponent);
    SetImages(images ? &images->List() : nullptr);
    m_imagesComponent = images;
    if (images)
        FreeNotification(images);
}

void TdxCustomPageControl::Notification(classes::TComponent *component, classes::TOperation operation)
{
    classes::TComponent::Notification(component, operation);
    if (operation == classes::TOperation::opRemove && component == m_popupMenu)
        m_popupMenu = nullptr;
    if (operation != classes::TOperation::opRemove || component != m_imagesComponent)
        return;
    // The list inside has gone with it: nothing to unsubscribe from.
    m_imagesComponent = nullptr;
    m_images = nullptr;
    m_imageLink = 0;
    m_options.hasImages = false;
    m_options.imageWidth = 0;
    m_options.imageHeight = 0;
    relayout();
}

void TdxCustomPageControl::SetImages(gfx::ImageList *images)
{
    if (m_imagesComponent && images != &m_imagesComponent->List()) {
        RemoveFreeNotification(m_imagesComponent);
        m_imagesComponent = nullptr;
    }
    if (images == m_images)
        return;
    if (m_images)
        m_images->unsubscribe(m_imageLink);
    m_images = images;
    m_imageLink = 0;
    if (m_images)
        m_imageLink = m_images->subscribe([this] {
            m_options.imageWidth = m_images->width();
            m_options.imageHeight = m_images->height();
            relayout();
        });
    m_options.hasImages = m_images != nullptr;
    m_options.imageWidth = m_images ? m_images->width() : 0;
    m_options.imageHeight = m_images ? m_images->height() : 0;
    relayout();
}

void TdxCustomPageControl::SetMultiLine(bool value)
{
    const bool side = m_options.position == TdxTabPosition::dxtpLeft || m_options.position == TdxTabPosition::dxtpRight;
    if (!value && side)
        return;
    if (assignIfChanged(m_options.multiLine, value))
        relayout();
}

void TdxCustomPageControl::SetOwnerDraw(bool value)
{
    if (assignIfChanged(m_ownerDraw, value))
        relayout();
}

void TdxCustomPageControl::SetRaggedRight(bool value)
{
    if (assignIfChanged(m_options.raggedRight, value) && m_options.multiLine)
        relayout();
}

void TdxCustomPageControl::SetScrollOpposite(bool value)
{
    if (assignIfChanged(m_scrollOpposite, value) && m_options.multiLine)
        relayout();
}

void TdxCustomPageControl::SetStyle(TdxTabStyle value)
{
    if (!assignIfChanged(m_options.style, value))
        return;
    auto painter = createTabPainter(value, this);
    painter->takeTabsFrom(*m_painter);
    // A drawing handler of the painter that is painting goes on in it.
    if (m_painting)
        m_retiredPainter = std::move(m_painter);
    m_painter = std::move(painter);
    relayout();
}

void TdxCustomPageControl::SetTabHeight(int value)
{
    value = std::max(0, value);
    if (assignIfChanged(m_options.tabHeight, value))
        relayout();
}

void TdxCustomPageControl::SetTabPosition(TdxTabPosition value)
{
    if (!assignIfChanged(m_options.position, value))
        return;
    if (value == TdxTabPosition::dxtpLeft || value == TdxTabPosition::dxtpRight)
        m_options.multiLine = true;
    relayout();
}

void TdxCustomPageControl::SetTabWidth(int value)
{
    value = std::max(0, value);
    if (assignIfChanged(m_options.tabWidth, value))
        relayout();
}

void TdxCustomPageControl::SetFont(const gfx::Font &font)
{
    m_parentFont = false;
    // The font object keeps what a layout stores; the control measures with
    // the font as given.
    m_syncingFont = true;
    m_fontObject->SetFont(font);
    m_syncingFont = false;
    if (assignIfChanged(m_font, font))
        relayout();
}

void TdxCustomPageControl::SetParentFont(bool value)
{
    if (value == m_parentFont)
        return;
    if (!value) {
        m_parentFont = false;
        return;
    }
    SetFont(gfx::Font());
    m_parentFont = true;
}

void TdxCustomPageControl::setTextMeasurer(const gfx::TextMeasurer *measurer)
{
    m_measurer = measurer ? measurer : &m_realMeasurer;
    relayout();
}

void TdxCustomPageControl::relayout()
{
    if (!m_painter)
        return;
    m_painter->relayout();
    placePages();
    update();
}

void TdxCustomPageControl::placePages()
{
    // The page on show hears of its new size at once: its OnResize may free
    // or add pages, or this control. The pages are held and placed again
    // until none was added meanwhile.
    const QPointer<TdxCustomPageControl> self(this);
    for (bool again = true; again && self;) {
        again = false;
        const QRect area = gfx::ToQRect(displayRect());
        const std::vector<QPointer<TdxTabSheet>> held(m_pages.begin(), m_pages.end());
        for (const QPointer<TdxTabSheet> &page : held) {
            if (!self)
                return;
            if (page && page->m_pageControl == this && page->geometry() != area)
                page->setGeometry(area);
        }
        again = self && m_pages.size() != held.size();
    }
}

} // namespace widgets

#include "moc_dxPageControl.cpp"
