#include "report/model/base/Font.h"
#include "report/model/printing/PageDef.h"
#include "report/model/base/StreamUtils.h"
#include "report/model/base/Types.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"
#include "platform/classes/Writer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace report;
using classes::TComponent;
using classes::TMemoryStream;

namespace {

// A report object in miniature: a font, a page definition and a few
// published values of its own.
class THolder : public TComponent
{
    ZVO_CLASS(THolder)
public:
    explicit THolder(TComponent *owner)
        : TComponent(owner)
    {}
    TppFont *Font() const { return m_font.get(); }
    void SetFont(TppFont *font) { m_font->Assign(font); }
    TppPageDef *PageDef() const { return m_pageDef.get(); }
    void SetPageDef(TppPageDef *pageDef) { m_pageDef->Assign(pageDef); }

    int32_t Count = 0;
    QString Title;
    TppUnitType Units = TppUnitType::utInches;
    classes::TNotifyEvent OnDone;

private:
    std::unique_ptr<TppFont> m_font = std::make_unique<TppFont>();
    std::unique_ptr<TppPageDef> m_pageDef = std::make_unique<TppPageDef>();
};

const classes::TMetaClass &THolder::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<THolder, TComponent>("THolder", [](classes::TClassBuilder<THolder> &c) {
            c.Integer("Count", &THolder::Count, &THolder::Count);
            c.Object("Font", &THolder::Font, &THolder::SetFont);
            c.Object("PageDef", &THolder::PageDef, &THolder::SetPageDef);
            c.String("Title", &THolder::Title, &THolder::Title);
            c.Enum("Units", EnumInfo<TppUnitType>(), &THolder::Units, &THolder::Units);
            c.Event("OnDone", &THolder::OnDone);
        });
    return meta;
}

QByteArray textOf(TComponent &component)
{
    TMemoryStream binary, text;
    binary.WriteComponent(&component);
    binary.SetPosition(0);
    classes::ObjectBinaryToText(binary, text);
    return QByteArray(text.Memory(), qsizetype(text.Size()));
}

} // namespace

// Stored reports keep their fonts by point size, whatever the resolution of
// the screen they were designed on.
TEST(Streaming, FontsAreStoredByTheirSize)
{
    THolder holder(nullptr);
    holder.SetName("Holder");
    holder.Font()->SetSize(12);
    holder.PageDef()->SetmmWidth(215900);
    const QByteArray text = textOf(holder);
    EXPECT_TRUE(text.contains("Font.Size = 12")) << text.constData();
    EXPECT_FALSE(text.contains("Font.Height")) << text.constData();
    EXPECT_TRUE(text.contains("PageDef.mmWidth = 215900")) << text.constData();
    EXPECT_EQ(holder.Font()->ClassType().Properties().size(), classes::TFont::StaticClass().Properties().size());

    TMemoryStream stream;
    stream.WriteComponent(&holder);
    stream.SetPosition(0);
    THolder copy(nullptr);
    stream.ReadComponent(&copy);
    EXPECT_EQ(copy.Font()->Size(), 12);
    EXPECT_EQ(copy.Font()->Height(), -16);
    EXPECT_TRUE(copy.PageDef()->IsEqual(*holder.PageDef()));
}

TEST(Streaming, LegacyReadersLookAheadAndComeBack)
{
    TMemoryStream stream;
    {
        classes::TWriter writer(stream);
        writer.WriteStr("mmTop");
        writer.WriteFloat(12.5);
        writer.WriteStr("mmLeft");
        writer.WriteFloat(13.5);
        writer.WriteStr("Items");
        writer.WriteListBegin();
        writer.WriteString("skipped");
        writer.WriteListEnd();
        writer.WriteStr("DataPipeline");
        writer.WriteIdent("Form1.Pipeline1");
        writer.WriteStr("mmHeight");
        writer.WriteInteger(70000);
        writer.WriteListEnd();
    }
    stream.SetPosition(0);
    classes::TReader reader(stream);
    EXPECT_TRUE(TppHReaderUtils::HasProperty(reader, "datapipeline"));
    EXPECT_FALSE(TppHReaderUtils::HasProperty(reader, "mmWidth"));
    EXPECT_EQ(TppHReaderUtils::ReadIdentProperty(reader, "DataPipeline"), QStringLiteral("Pipeline1"));
    EXPECT_EQ(TppHReaderUtils::ReadIdentProperty(reader, "Missing"), QString());
    EXPECT_EQ(reader.Position(), 0);

    EXPECT_EQ(reader.ReadStr(), "mmTop");
    EXPECT_EQ(ppReadIntegerOrFloat(reader), 12);
    EXPECT_EQ(reader.ReadStr(), "mmLeft");
    EXPECT_EQ(ppReadIntegerOrFloat(reader), 14);
    EXPECT_EQ(reader.ReadStr(), "Items");
    EXPECT_THROW(ppReadIntegerOrFloat(reader), classes::EReadError);
}

TEST(Streaming, PropertiesByName)
{
    THolder holder(nullptr);
    holder.Count = 4;
    holder.Title = "Sales";
    EXPECT_EQ(ppGetOrdPropByName(&holder, "count"), 4);
    EXPECT_EQ(ppGetOrdPropByName(&holder, "Units"), int64_t(TppUnitType::utInches));
    EXPECT_EQ(ppGetOrdPropByName(&holder, "Title"), 0);
    EXPECT_EQ(ppGetOrdPropByName(&holder, "Missing"), 0);
    EXPECT_EQ(ppGetOrdPropByName(nullptr, "Count"), 0);
    EXPECT_EQ(ppGetStrPropByName(&holder, "Title"), QStringLiteral("Sales"));
    EXPECT_EQ(ppGetStrPropByName(&holder, "Count"), QString());
    ppSetOrdPropByName(&holder, "Count", 9);
    ppSetOrdPropByName(&holder, "Missing", 9);
    ppSetOrdPropByName(&holder, "Title", 9);
    EXPECT_EQ(holder.Count, 9);
    EXPECT_EQ(holder.Title, QStringLiteral("Sales"));

    int calls = 0;
    THolder form(nullptr);
    form.DefineMethod<void(classes::TObject *)>("HolderDone", [&](classes::TObject *) { ++calls; });
    const classes::TMethod method = ppMethodByName(&form, "holderdone");
    ASSERT_TRUE(method.Code.has_value());
    ppSetMethodPropByName(&holder, "OnDone", method);
    ppSetMethodPropByName(&holder, "Missing", method);
    ASSERT_TRUE(holder.OnDone.Assigned());
    holder.OnDone(&holder);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(ppMethodByName(&form, "Absent").Code.has_value());
    EXPECT_FALSE(ppMethodByName(holder.Font(), "HolderDone").Code.has_value());
}

TEST(Streaming, StringsReplaceAStreamsContent)
{
    TMemoryStream stream;
    const QByteArray old(100, 'x');
    stream.WriteBuffer(old.constData(), old.size());
    classes::TStringList lines;
    lines.Add("{\\rtf1 \u00E9}");
    lines.Add("end");
    ppStringsToStream(lines, stream);
    EXPECT_EQ(QByteArray(stream.Memory(), qsizetype(stream.Size())), QByteArray("{\\rtf1 \xC3\xA9}\r\nend\r\n"));
}
