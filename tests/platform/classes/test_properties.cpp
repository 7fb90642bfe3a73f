#include "StreamHelpers.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/EnumTypes.h"
#include "platform/classes/Extended.h"
#include "platform/classes/TypInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace classes;
using namespace sample;

namespace {

// "TPF0", a label named L with one property, and the list ends.
QByteArray labelWith(const char *property, const std::function<void(TWriter &)> &value)
{
    TMemoryStream stream;
    {
        TWriter w(stream);
        w.WriteSignature();
        w.WriteStr("TSampleLabel");
        w.WriteStr("L");
        w.WriteStr(property);
        value(w);
        w.WriteListEnd();
        w.WriteListEnd();
    }
    return bytesOf(stream);
}

QByteArray hex(const char *text)
{
    return parseHex(text);
}

} // namespace

TEST(Properties, DefaultsAndStoredPredicatesDecideWhatIsWritten)
{
    TSampleRoot root;
    root.SetName(QStringLiteral("Form"));
    auto *band = new TSampleBand(&root);
    band->SetName(QStringLiteral("Band1"));
    auto *first = new TSampleLabel(&root);
    first->SetName(QStringLiteral("Label1"));
    first->SetParentComponent(band);
    first->Kind = TSampleKind::skPlain;
    first->Options = soFirst | soThird;
    first->Visible = false;
    first->Width = 120;
    first->Color = rtl::clRed;
    first->Font()->SetStyle(gfx::fsBold | gfx::fsItalic);
    first->SetDesignPosition(10, 20);
    auto *second = new TSampleLabel(&root);
    second->SetName(QStringLiteral("Label2"));
    second->SetParentComponent(band);
    second->Caption = QStringLiteral("x");
    second->AutoSize = true; // so Width is not stored
    second->Width = 120;
    second->Color = 0x123456;
    second->SetLink(first);

    EXPECT_EQ(writeText(&root), crlf(R"(object Form: TSampleRoot
  object Band1: TSampleBand
    object Label1: TSampleLabel
      Kind = skPlain
      Options = [soFirst, soThird]
      Visible = False
      Width = 120
      Color = clRed
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'DejaVu Sans'
      Font.Style = [fsBold, fsItalic]
      Left = 10
      Top = 20
    end
    object Label2: TSampleLabel
      Caption = 'x'
      AutoSize = True
      Color = 1193046
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clWindowText
      Font.Height = -11
      Font.Name = 'DejaVu Sans'
      Font.Style = []
      Link = Label1
    end
  end
end
)"));
}

TEST(Properties, FontStreamsItsHeightAndReadsASizeToo)
{
    TSampleLabel label(nullptr);
    label.Font()->SetSize(12);
    EXPECT_EQ(label.Font()->Height(), -16);
    const QByteArray text = writeText(&label);
    EXPECT_TRUE(text.contains("Font.Height = -16\r\n"));
    EXPECT_FALSE(text.contains("Size"));

    TSampleRoot other;
    readInto(&other, toBinary("object X: TSampleRoot\n inherited Title: TSampleLabel\n  Font.Size = 9\n end\nend"));
    EXPECT_EQ(other.Title()->Font()->Height(), -12);
    EXPECT_EQ(other.Title()->Font()->Size(), 9);
}

// Font families are named in every script; two names that differ only
// outside the code page are two fonts.
TEST(Properties, AFontNameKeepsEveryCharacter)
{
    const QString name = QString::fromUtf8("\xE6\xBA\x90\xE3\x83\x8E\xE8\xA7\x92\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83"
                                           "\xE3\x82\xAF \xD0\xA8\xD1\x80\xD0\xB8\xD1\x84\xD1\x82 \xF0\x9F\x98\x80");
    const QString other = QString::fromUtf8("\xD9\x86\xD8\xB3\xD8\xAE \xF0\x9F\x98\x81");
    TFont font;
    int changes = 0;
    font.OnChange = [&changes](TObject *) { ++changes; };
    font.SetName(name);
    EXPECT_EQ(font.Name(), name);
    font.SetName(other);
    EXPECT_EQ(font.Name(), other);
    EXPECT_EQ(changes, 2);
    font.SetName(QString()); // no family at all is no name
    EXPECT_EQ(font.Name(), other);
    EXPECT_EQ(changes, 2);
}

// Stored reports name these values; their order is the class library's.
TEST(Properties, AFontTakesAnotherOnceWhetherHeldAsAFontOrNot)
{
    TFont source;
    source.SetName(QStringLiteral("Courier New"));
    source.SetSize(14);
    source.SetStyle(gfx::fsBold);
    source.SetCharset(2);
    source.SetPitch(TFontPitch::fpFixed);
    TFont font;
    int changes = 0;
    font.OnChange = [&changes](TObject *) { ++changes; };
    font.Assign(&source);
    EXPECT_TRUE(font == source);
    EXPECT_EQ(font.Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(font.Charset(), 2);
    EXPECT_EQ(changes, 1);
    // Equal already: no change to tell.
    font.Assign(static_cast<const TPersistent *>(&source));
    EXPECT_EQ(changes, 1);
    source.SetSize(20);
    font.Assign(static_cast<const TPersistent *>(&source));
    EXPECT_EQ(font.Size(), 20);
    EXPECT_EQ(changes, 2);
    EXPECT_THROW(font.Assign(static_cast<const TFont *>(nullptr)), classes::EConvertError);
    EXPECT_THROW(font.Assign(static_cast<const TPersistent *>(nullptr)), classes::EConvertError);
    EXPECT_EQ(changes, 2);
}

TEST(Properties, LibraryEnumerationsNameTheirValuesInOrder)
{
    EXPECT_EQ(AlignmentInfo().NameOf(int(TAlignment::taCenter)), QStringLiteral("taCenter"));
    EXPECT_EQ(ShapeTypeInfo().NameOf(int(TShapeType::stCircle)), QStringLiteral("stCircle"));
    EXPECT_EQ(PrinterOrientationInfo().ValueOf(u"polandscape"), int(TPrinterOrientation::poLandscape));
    EXPECT_EQ(BrushStyleInfo().NameOf(int(gfx::BrushStyle::DiagCross)), QStringLiteral("bsDiagCross"));
    EXPECT_EQ(BrushStyleInfo().NameOf(int(gfx::BrushStyle::Pattern)), QString());
    EXPECT_EQ(PenStyleInfo().NameOf(int(gfx::PenStyle::InsideFrame)), QStringLiteral("psInsideFrame"));
    EXPECT_EQ(PenStyleInfo().TypeName(), QStringLiteral("TPenStyle"));
}

TEST(Collection, OneUpdatePerOutermostBracketAndIdsStayWithTheirItems)
{
    TSampleItems items;
    items.Add();
    EXPECT_EQ(items.UpdateCalls, 1);
    items.UpdateCalls = 0;
    items.BeginUpdate();
    items.BeginUpdate();
    items.Add();
    items.Add();
    items.Items(0)->SetIndex(99); // clamped to the last place
    items.Delete(1);
    items.EndUpdate();
    EXPECT_EQ(items.UpdateCalls, 0);
    items.EndUpdate();
    EXPECT_EQ(items.UpdateCalls, 1);

    ASSERT_EQ(items.Count(), 2);
    EXPECT_EQ(items.Items(0)->ID(), 1);
    EXPECT_EQ(items.Items(1)->ID(), 0);
    EXPECT_EQ(items.FindItemID(0), items.Items(1));
    EXPECT_EQ(items.Add()->ID(), 3); // IDs are never reused
    EXPECT_THROW(items.Items(3), EListError);
}

namespace {

// Notes the class of every item at each announcement.
class TRecordingItems : public TCollection
{
public:
    TRecordingItems()
        : TCollection(TSampleItem::StaticClass())
    {}
    QStringList seen;

protected:
    void Update(TCollectionItem *) override
    {
        QStringList classes;
        for (int i = 0; i < Count(); ++i)
            classes << Items(i)->ClassName();
        seen << classes.join(u',');
    }
};

} // namespace

TEST(Collection, NoAnnouncementShowsAnItemThatIsStillBeingBuilt)
{
    TRecordingItems items;
    auto *made = new TSampleItem(&items);
    EXPECT_EQ(made->Collection(), &items);
    EXPECT_EQ(made->Index(), 0);
    EXPECT_EQ(made->ID(), 0);
    items.Add();
    items.ItemClass().NewItem(&items);
    EXPECT_EQ(items.seen, QStringList({"TSampleItem,TSampleItem", "TSampleItem,TSampleItem,TSampleItem"}));
}

TEST(StringList, TextSplitsEveryLineEndAndSortedListsKeepOrder)
{
    TStringList list;
    list.SetText(QStringLiteral("a\r\nb\nc\rd"));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Text(), QStringLiteral("a\r\nb\r\nc\r\nd\r\n"));

    TStringList sorted;
    sorted.SetSorted(true);
    for (const char *s : {"b", "A", "a", "C"})
        sorted.Add(QString::fromLatin1(s));
    EXPECT_EQ(sorted.Text(), QStringLiteral("A\r\nb\r\nC\r\n")); // "a" equals "A"
    EXPECT_EQ(sorted.IndexOf(QStringLiteral("B")), 1);
    sorted.SetDuplicates(TDuplicates::dupError);
    EXPECT_THROW(sorted.Add(QStringLiteral("c")), EStringListError);
    EXPECT_THROW(sorted.Get(3), EStringListError);
}

TEST(Extended, HandComputedVectorsBothWays)
{
    struct Vector
    {
        long double value;
        const char *bytes;
        const char *text;
    };
    const Vector vectors[] = {
        {0.0L, "00 00 00 00 00 00 00 00 00 00", "0.0"},     {1.0L, "00 00 00 00 00 00 00 80 FF 3F", "1.0"},
        {-2.0L, "00 00 00 00 00 00 00 80 00 C0", "-2.0"},   {0.5L, "00 00 00 00 00 00 00 80 FE 3F", "0.5"},
        {1e-4L, "2C 65 19 E2 58 17 B7 D1 F1 3F", "0.0001"},
    };
    for (const Vector &v : vectors) {
        const TExtendedBytes encoded = EncodeExtended(v.value);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(encoded.data()), 10), hex(v.bytes)) << v.text;
        long double decoded = -1;
        ASSERT_TRUE(DecodeExtended(encoded.data(), decoded));
        EXPECT_EQ(decoded, v.value) << v.text;

        const QByteArray binary = labelWith("Precise", [&](TWriter &w) { w.WriteFloat(v.value); });
        const QByteArray text = toText(binary);
        EXPECT_TRUE(text.contains(QByteArray("Precise = ") + v.text + "\r\n")) << text.constData();
        EXPECT_EQ(toBinary(text), binary) << v.text;
    }
    // Not numbers, unnormals and pseudo-denormals are not valid encodings.
    for (const char *bad : {"00 00 00 00 00 00 00 80 FF 7F", "00 00 00 00 00 00 00 C0 FF 7F",
                            "00 00 00 00 00 00 00 00 FF 3F", "00 00 00 00 00 00 00 80 00 00"}) {
        long double ignored = 0;
        EXPECT_FALSE(DecodeExtended(reinterpret_cast<const uint8_t *>(hex(bad).constData()), ignored)) << bad;
    }
    long double denormal = 0;
    EXPECT_TRUE(
        DecodeExtended(reinterpret_cast<const uint8_t *>(hex("01 00 00 00 00 00 00 00 00 00").constData()), denormal));
    EXPECT_EQ(denormal, std::numeric_limits<long double>::denorm_min());
}

TEST(Extended, FloatsAreWrittenInTheFewestDigitsThatReadBackExactly)
{
    struct Case
    {
        const char *property;
        std::function<void(TWriter &)> write;
        const char *text;
    };
    const Case cases[] = {
        {"Precise", [](TWriter &w) { w.WriteFloat(0.1L); }, "0.1"},
        {"Ratio", [](TWriter &w) { w.WriteFloat(0.1); }, "0.10000000000000000555"},
        {"Precise", [](TWriter &w) { w.WriteFloat(1e20L); }, "1E20"},
        {"Precise", [](TWriter &w) { w.WriteFloat(-1.5e-7L); }, "-1.5E-7"},
        {"Precise", [](TWriter &w) { w.WriteFloat(123456); }, "123456.0"},
        {"Precise", [](TWriter &w) { w.WriteFloat(std::numeric_limits<long double>::denorm_min()); }, "4E-4951"},
        {"Scale", [](TWriter &w) { w.WriteSingle(0.1f); }, "0.1s"},
        {"When", [](TWriter &w) { w.WriteDate(45000.25); }, "45000.25d"},
        {"Amount", [](TWriter &w) { w.WriteCurrency(-1); }, "-0.0001c"},
        {"Amount", [](TWriter &w) { w.WriteCurrency(std::numeric_limits<int64_t>::min()); }, "-922337203685477.5808c"},
    };
    for (const Case &c : cases) {
        const QByteArray binary = labelWith(c.property, c.write);
        const QByteArray text = toText(binary);
        EXPECT_TRUE(text.contains(QByteArray(" = ") + c.text + "\r\n")) << text.constData();
        EXPECT_EQ(toBinary(text), binary) << c.text;
    }

    // A double property gets back the very double it stored.
    for (double d : {0.1, 1.0 / 3, 1e300, 5e-324, -2.5}) {
        TSampleLabel label(nullptr), copy(nullptr);
        label.Ratio = d;
        readInto(&copy, toBinary(writeText(&label)));
        EXPECT_EQ(copy.Ratio, d);
    }
}

TEST(TypInfo, PropertiesByNameWithoutRegardToCase)
{
    TSampleLabel label(nullptr);
    const TPropInfo &width = FindPropInfo(label, u"WIDTH");
    SetOrdProp(label, width, 42);
    EXPECT_EQ(label.Width, 42);
    EXPECT_THROW(SetStrProp(label, width, QStringLiteral("x")), EPropertyError);
    EXPECT_THROW(FindPropInfo(label, u"Nothing"), EPropertyError);

    SetEnumProp(label, FindPropInfo(label, u"kind"), u"SKFANCY");
    EXPECT_EQ(GetEnumProp(label, FindPropInfo(label, u"Kind")), QStringLiteral("skFancy"));
    EXPECT_THROW(SetEnumProp(label, FindPropInfo(label, u"Kind"), u"skNothing"), EPropertyError);
    SetSetProp(label, FindPropInfo(label, u"Options"), u"[soThird, soFirst]");
    EXPECT_EQ(GetSetProp(label, FindPropInfo(label, u"Options")), QStringLiteral("soFirst,soThird"));

    const TPropInfo &amount = FindPropInfo(label, u"Amount");
    SetFloatProp(label, amount, 1.5L);
    EXPECT_EQ(label.Amount, 15000);
    EXPECT_EQ(GetOrdProp(label, amount), 15000);
    EXPECT_EQ(GetFloatProp(label, amount), 1.5L);

    const TPropInfo &onClick = FindPropInfo(label, u"OnClick");
    EXPECT_THROW(SetMethodProp(label, onClick, TMethod{QStringLiteral("Wrong"), std::any(42)}), EPropertyError);
    int clicks = 0;
    SetMethodProp(
        label, onClick,
        TMethod{QStringLiteral("Count"), std::any(std::function<void(TObject *)>([&](TObject *) { ++clicks; }))});
    label.OnClick(&label);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GetMethodProp(label, onClick).Name, QStringLiteral("Count"));

    EXPECT_EQ(FindPropInfo(label, u"Font").Class, &TFont::StaticClass());
    EXPECT_TRUE(FindPropInfo(label, u"Link").IsReference());
    EXPECT_EQ(FindPropInfo(label, u"Visible").Enum, &BooleanInfo());
}

// A variant property holding an integer of any width is stored as an integer
// and reads back with its value; only what no integer value of the stream
// can hold is refused, and the save says so.
TEST(Properties, VariantIntegersOfEveryWidthStoreAndReadBack)
{
    RegisterSampleClasses();
    const auto labelHolding = [](TSampleRoot &root, const QVariant &value) {
        root.SetName(QStringLiteral("Form"));
        auto *band = new TSampleBand(&root);
        band->SetName(QStringLiteral("Band1"));
        auto *l = new TSampleLabel(&root);
        l->SetName(QStringLiteral("Label1"));
        l->SetParentComponent(band);
        l->Extra = value;
    };
    const QVariant values[] = {
        QVariant::fromValue<signed char>(-100), QVariant::fromValue<unsigned char>(200),
        QVariant::fromValue<signed char>(127),  QVariant::fromValue<ushort>(65535),
        QVariant::fromValue<uint>(4000000000u), QVariant::fromValue<qulonglong>(9000000000000000000ull),
    };
    for (const QVariant &value : values) {
        SCOPED_TRACE(value.typeName());
        TSampleRoot root;
        labelHolding(root, value);
        QByteArray stored;
        ASSERT_NO_THROW(stored = writeRoot(&root));
        TSampleRoot copy;
        readInto(&copy, stored);
        const auto *back = dynamic_cast<TSampleLabel *>(copy.FindComponent(u"Label1"));
        ASSERT_NE(back, nullptr);
        bool integer = false;
        EXPECT_EQ(back->Extra.toLongLong(&integer), value.toLongLong());
        EXPECT_TRUE(integer);
    }
    TSampleRoot tooBig;
    labelHolding(tooBig, QVariant::fromValue<qulonglong>(std::numeric_limits<qulonglong>::max()));
    EXPECT_THROW(writeRoot(&tooBig), EWriteError);
}
