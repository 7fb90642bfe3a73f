#include "SampleClasses.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Reader.h"

#include <algorithm>

namespace sample {

const TEnumInfo &SampleKindInfo()
{
    static const TEnumInfo info(QStringLiteral("TSampleKind"), {"skNone", "skPlain", "skFancy"});
    return info;
}

const TEnumInfo &SampleOptionInfo()
{
    static const TEnumInfo info(QStringLiteral("TSampleOption"), {"soFirst", "soSecond", "soThird"});
    return info;
}

namespace {

bool g_logging = true;

void log(const QString &entry)
{
    if (g_logging)
        SampleLog().append(entry);
}

} // namespace

QStringList &SampleLog()
{
    static QStringList log;
    return log;
}

void SetSampleLogging(bool on)
{
    g_logging = on;
}

// ---- items ------------------------------------------------------------------

const TMetaClass &TSampleItem::StaticClass()
{
    static const TMetaClass meta = MakeClass<TSampleItem, TCollectionItem>("TSampleItem", [](auto &c) {
        c.String("Text", &TSampleItem::Text, &TSampleItem::Text);
        c.Integer("Value", &TSampleItem::Value, &TSampleItem::Value).Default(0);
        c.Double("Weight", &TSampleItem::Weight, &TSampleItem::Weight);
        c.Reference("Link", &TSampleItem::Link, &TSampleItem::Link);
    });
    return meta;
}

TSampleItem::TSampleItem(TCollection *collection)
    : TCollectionItem(collection)
{}

void TSampleItem::Assign(const TPersistent *source)
{
    const auto *other = dynamic_cast<const TSampleItem *>(source);
    if (!other) {
        TCollectionItem::Assign(source);
        return;
    }
    Text = other->Text;
    Value = other->Value;
    Weight = other->Weight;
    Link = other->Link;
    Changed(false);
}

const TMetaClass &TSampleItems::StaticClass()
{
    static const TMetaClass meta = MakeClass<TSampleItems, TCollection>("TSampleItems");
    return meta;
}

TSampleItems::TSampleItems(TPersistent *owner)
    : TCollection(TSampleItem::StaticClass(), owner)
{}

void TSampleItems::Update(TCollectionItem *)
{
    ++UpdateCalls;
}

// ---- labels -----------------------------------------------------------------

const TMetaClass &TSampleLabel::StaticClass()
{
    using L = TSampleLabel;
    static const TMetaClass meta = MakeClass<L, TComponent>("TSampleLabel", [](TClassBuilder<L> &c) {
        c.String("Caption", &L::Caption, &L::Caption);
        c.Enum("Kind", SampleKindInfo(), &L::Kind, &L::Kind).Default(TSampleKind::skNone);
        c.Set("Options", SampleOptionInfo(), QStringLiteral("TSampleOptions"), &L::Options, &L::Options).Default(0);
        c.Boolean("Visible", &L::Visible, &L::Visible).Default(true);
        c.Boolean("AutoSize", &L::AutoSize, &L::AutoSize).Default(false);
        // An automatic width is measured, not stored.
        c.Integer("Width", &L::Width, &L::Width).Default(100).Stored([](const TPersistent &o) {
            return !static_cast<const L &>(o).AutoSize;
        });
        c.Double("Ratio", &L::Ratio, &L::Ratio);
        c.Extended("Precise", &L::Precise, &L::Precise);
        c.Single("Scale", &L::Scale, &L::Scale);
        c.Currency("Amount", &L::Amount, &L::Amount);
        c.DateTime("When", &L::When, &L::When);
        c.Int64("Big", &L::Big, &L::Big).Default(0);
        c.Char("Letter", &L::Letter, &L::Letter).Default(0);
        c.Integer("Color", &L::Color, &L::Color)
            .WithIdents(ColorIdents())
            .WithTypeName(QStringLiteral("TColor"))
            .Default(rtl::clWindow);
        c.Variant("Extra", &L::Extra, &L::Extra);
        c.Object("Font", &L::Font, &L::SetFont);
        c.Object("Lines", &L::Lines, &L::SetLines);
        c.Object("Items", &L::Items, &L::SetItems);
        c.Object("Picture", &L::Picture, &L::SetPicture);
        c.Reference("Link", &L::Link, &L::SetLink);
        c.Event("OnClick", &L::OnClick);
    });
    return meta;
}

TSampleLabel::TSampleLabel(TComponent *owner)
    : TComponent(owner)
    , m_font(std::make_unique<TFont>())
    , m_lines(std::make_unique<TStringList>())
    , m_items(std::make_unique<TSampleItems>(this))
    , m_picture(std::make_unique<TBitmap>())
{
    m_items->SetPropName(QStringLiteral("Items"));
}

TSampleLabel::~TSampleLabel()
{
    Destroying();
    SetBand(nullptr);
}

void TSampleLabel::SetBand(TSampleBand *band)
{
    if (band == m_band)
        return;
    if (m_band) {
        auto &labels = m_band->m_labels;
        labels.erase(std::remove(labels.begin(), labels.end(), this), labels.end());
        if (m_band != m_link)
            RemoveFreeNotification(m_band);
    }
    m_band = band;
    if (m_band) {
        m_band->m_labels.push_back(this);
        FreeNotification(m_band);
    }
}

void TSampleLabel::SetLink(TComponent *link)
{
    if (link == m_link)
        return;
    if (m_link && m_link != m_band)
        RemoveFreeNotification(m_link);
    m_link = link;
    if (m_link)
        FreeNotification(m_link);
    if (g_logging)
        log(QStringLiteral("Link %1 -> %2").arg(Name(), link ? link->Name() : QStringLiteral("nil")));
}

TComponent *TSampleLabel::GetParentComponent() const
{
    return m_band;
}

void TSampleLabel::SetParentComponent(TComponent *parent)
{
    auto *band = dynamic_cast<TSampleBand *>(parent);
    if (parent && !band && !dynamic_cast<TSampleRoot *>(parent))
        throw EInvalidCast("A label belongs in a band");
    SetBand(band);
}

void TSampleLabel::ReadState(TReader &reader)
{
    if (g_logging)
        log(QStringLiteral("ReadState %1").arg(Name()));
    TComponent::ReadState(reader);
}

void TSampleLabel::Loaded()
{
    TComponent::Loaded();
    if (g_logging)
        log(QStringLiteral("Loaded %1").arg(Name()));
}

void TSampleLabel::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == m_link)
        m_link = nullptr;
    if (component == m_band) {
        m_band = nullptr;
    }
}

// ---- bands --------------------------------------------------------------------

const TMetaClass &TSampleBand::StaticClass()
{
    using B = TSampleBand;
    static const TMetaClass meta = MakeClass<B, TComponent>("TSampleBand", [](TClassBuilder<B> &c) {
        c.String("Caption", &B::Caption, &B::Caption);
        c.Integer("Height", &B::Height, &B::Height).Default(0);
        c.Integer("Color", &B::Color, &B::Color)
            .WithIdents(ColorIdents())
            .WithTypeName(QStringLiteral("TColor"))
            .Default(rtl::clWindow);
        c.Set("Options", SampleOptionInfo(), QStringLiteral("TSampleOptions"), &B::Options, &B::Options).Default(0);
    });
    return meta;
}

TSampleBand::TSampleBand(TComponent *owner)
    : TComponent(owner)
{}

TSampleBand::~TSampleBand()
{
    Destroying();
    // The labels are told through their free notification.
}

void TSampleBand::GetChildren(const TGetChildProc &proc, TComponent *)
{
    for (size_t i = 0; i < m_labels.size(); ++i)
        proc(m_labels[i]);
}

void TSampleBand::SetChildOrder(TComponent *child, int order)
{
    const auto it = std::find(m_labels.begin(), m_labels.end(), child);
    if (it == m_labels.end())
        return;
    if (order < 0)
        throw EListError("A label cannot go before the first place");
    TSampleLabel *label = *it;
    m_labels.erase(it);
    order = std::clamp(order, 0, int(m_labels.size()));
    m_labels.insert(m_labels.begin() + order, label);
}

void TSampleBand::ReadState(TReader &reader)
{
    if (g_logging)
        log(QStringLiteral("ReadState %1").arg(Name()));
    TComponent::ReadState(reader);
}

void TSampleBand::Loaded()
{
    TComponent::Loaded();
    if (g_logging)
        log(QStringLiteral("Loaded %1").arg(Name()));
}

// ---- root -----------------------------------------------------------------------

const TMetaClass &TSampleRoot::StaticClass()
{
    using R = TSampleRoot;
    static const TMetaClass meta = MakeClass<R, TComponent>("TSampleRoot", [](TClassBuilder<R> &c) {
        c.String("Caption", &R::Caption, &R::Caption);
        c.Enum("Kind", SampleKindInfo(), &R::Kind, &R::Kind).Default(TSampleKind::skNone);
        c.Boolean("Active", &R::Active, &R::Active).Default(false);
        c.Event("OnOpen", &R::OnOpen);
    });
    return meta;
}

TSampleRoot::TSampleRoot(TComponent *owner)
    : TComponent(owner)
    , m_title(new TSampleLabel(this))
{
    m_title->SetName(QStringLiteral("Title"));
    DefineMethod<void(TObject *)>(QStringLiteral("ReportOpen"), [this](TObject *) { ++Clicks; });
    DefineMethod<void(TObject *)>(QStringLiteral("TotalClick"), [this](TObject *) { Clicks += 10; });
}

void TSampleRoot::GetChildren(const TGetChildProc &proc, TComponent *root)
{
    TComponent::GetChildren(
        [&](TComponent *child) {
            if (child != m_title)
                proc(child);
        },
        root);
}

void TSampleRoot::ReadState(TReader &reader)
{
    if (g_logging)
        log(QStringLiteral("ReadState %1").arg(Name()));
    TComponent::ReadState(reader);
}

void TSampleRoot::Loaded()
{
    TComponent::Loaded();
    if (g_logging)
        log(QStringLiteral("Loaded %1").arg(Name()));
}

void RegisterSampleClasses()
{
    RegisterClasses({&TSampleRoot::StaticClass(), &TSampleBand::StaticClass(), &TSampleLabel::StaticClass()});
}

} // namespace sample
