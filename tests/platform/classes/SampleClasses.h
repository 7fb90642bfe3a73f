#pragma once

// A small family of streamable classes with one property of every kind, used
// by the class-layer tests, the stream fuzz targets and the stream benchmark:
// a root with bands, labels inside the bands, and a collection in each label.

#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Graphics.h"
#include "platform/classes/StringList.h"

#include <QStringList>

#include <vector>

namespace sample {

using namespace classes;

enum class TSampleKind { skNone, skPlain, skFancy };
enum TSampleOption : unsigned { soFirst = 1, soSecond = 2, soThird = 4 };
using TSampleOptions = unsigned;

const TEnumInfo &SampleKindInfo();
const TEnumInfo &SampleOptionInfo();

// What the sample components did while they were read, in order; kept only
// while logging is on (the default; the benchmark turns it off).
QStringList &SampleLog();
void SetSampleLogging(bool on);

class TSampleItem : public TCollectionItem
{
    ZVO_CLASS(TSampleItem)
public:
    explicit TSampleItem(TCollection *collection);
    void Assign(const TPersistent *source) override;

    QString Text;
    int Value = 0;
    double Weight = 0;
    TComponent *Link = nullptr;
};

class TSampleItems : public TCollection
{
    ZVO_CLASS(TSampleItems)
public:
    explicit TSampleItems(TPersistent *owner = nullptr);
    int UpdateCalls = 0;
    TSampleItem *Item(int index) const { return static_cast<TSampleItem *>(Items(index)); }

protected:
    void Update(TCollectionItem *item) override;
};

class TSampleBand;

class TSampleLabel : public TComponent
{
    ZVO_CLASS(TSampleLabel)
public:
    explicit TSampleLabel(TComponent *owner);
    ~TSampleLabel() override;

    TSampleBand *Band() const { return m_band; }
    void SetBand(TSampleBand *band);
    TComponent *Link() const { return m_link; }
    void SetLink(TComponent *link);
    TFont *Font() const { return m_font.get(); }
    void SetFont(TFont *font) { m_font->Assign(font); }
    TStrings *Lines() const { return m_lines.get(); }
    void SetLines(TStrings *lines) { m_lines->Assign(lines); }
    TSampleItems *Items() const { return m_items.get(); }
    void SetItems(TSampleItems *items) { m_items->Assign(items); }
    TBitmap *Picture() const { return m_picture.get(); }
    void SetPicture(TBitmap *picture) { m_picture->Assign(picture); }

    bool HasParent() const override { return m_band != nullptr; }
    TComponent *GetParentComponent() const override;
    void SetParentComponent(TComponent *parent) override;
    void ReadState(TReader &reader) override;
    void Loaded() override;
    void Notification(TComponent *component, TOperation operation) override;

    QString Caption;
    TSampleKind Kind = TSampleKind::skNone;
    TSampleOptions Options = 0;
    bool Visible = true;
    bool AutoSize = false;
    int Width = 100;
    double Ratio = 0;
    long double Precise = 0;
    float Scale = 0;
    int64_t Amount = 0; // Currency x 10000
    double When = 0;
    int64_t Big = 0;
    QChar Letter;
    rtl::TColor Color = rtl::clWindow;
    QVariant Extra;
    TNotifyEvent OnClick;

private:
    TSampleBand *m_band = nullptr;
    TComponent *m_link = nullptr;
    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TStringList> m_lines;
    std::unique_ptr<TSampleItems> m_items;
    std::unique_ptr<TBitmap> m_picture;
};

class TSampleBand : public TComponent
{
    ZVO_CLASS(TSampleBand)
public:
    explicit TSampleBand(TComponent *owner);
    ~TSampleBand() override;

    const std::vector<TSampleLabel *> &Labels() const { return m_labels; }
    void GetChildren(const TGetChildProc &proc, TComponent *root) override;
    void SetChildOrder(TComponent *child, int order) override;
    void ReadState(TReader &reader) override;
    void Loaded() override;

    QString Caption;
    int Height = 0;
    rtl::TColor Color = rtl::clWindow;
    TSampleOptions Options = 0;

private:
    friend class TSampleLabel;
    std::vector<TSampleLabel *> m_labels;
};

class TSampleRoot : public TComponent
{
    ZVO_CLASS(TSampleRoot)
public:
    // Makes the inherited label "Title" and the handlers ReportOpen and
    // TotalClick.
    explicit TSampleRoot(TComponent *owner = nullptr);

    TSampleLabel *Title() const { return m_title; }
    // The title is the root's own: streams name it as inherited, and it is
    // not written.
    void GetChildren(const TGetChildProc &proc, TComponent *root) override;
    void ReadState(TReader &reader) override;
    void Loaded() override;

    QString Caption;
    TSampleKind Kind = TSampleKind::skNone;
    bool Active = false;
    TNotifyEvent OnOpen;
    int Clicks = 0;

private:
    TSampleLabel *m_title;
};

// Registers the sample classes (once; later calls do nothing).
void RegisterSampleClasses();

} // namespace sample
