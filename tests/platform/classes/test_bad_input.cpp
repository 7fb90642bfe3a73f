#include "StreamHelpers.h"

#include "platform/classes/ClassErrors.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace classes;
using namespace sample;

namespace {

class BadInput : public ::testing::Test
{
protected:
    void SetUp() override { RegisterSampleClasses(); }
};

QByteArray shortStr(const QByteArray &s)
{
    return char(s.size()) + s;
}

// "TPF0" and a root of the given class with raw property and child bytes.
QByteArray rootWith(const QByteArray &properties, const QByteArray &children = {},
                    const char *className = "TSampleRoot")
{
    return "TPF0" + shortStr(className) + shortStr("R") + properties + '\0' + children + '\0';
}

QByteArray component(const char *className, const QByteArray &name, const QByteArray &properties = {})
{
    return shortStr(className) + shortStr(name) + properties + '\0' + '\0';
}

// What the error hook saw, and how it answers: Ignore, Ignore All (asks
// once, then handles the rest unasked) or Cancel.
struct Answers
{
    enum Mode { Ignore, IgnoreAll, Cancel } mode = Ignore;
    int asked = 0;
    bool ignoreAll = false;
    QStringList classes;

    void install(TReader &reader)
    {
        reader.OnError = [this](TReader &, const std::exception &error, bool &handled) {
            if (ignoreAll) {
                handled = true;
                return;
            }
            ++asked;
            if (dynamic_cast<const EClassNotFound *>(&error))
                classes.append(QStringLiteral("EClassNotFound"));
            else if (dynamic_cast<const EComponentError *>(&error))
                classes.append(QStringLiteral("EComponentError"));
            else if (dynamic_cast<const EReadError *>(&error))
                classes.append(QStringLiteral("EReadError"));
            else
                classes.append(QStringLiteral("other"));
            handled = mode != Cancel;
            ignoreAll = mode == IgnoreAll;
        };
    }
};

} // namespace

TEST_F(BadInput, EveryPrefixOfTheFixtureFailsCleanly)
{
    const QByteArray binary = readDataFile("sample.bin");
    for (qsizetype n = 0; n < binary.size() - 1; ++n) {
        EXPECT_THROW(toText(binary.left(n)), EReadError) << n;
        TSampleRoot root;
        Answers answers;
        EXPECT_THROW(readInto(&root, binary.left(n), [&](TReader &r) { answers.install(r); }), EReadError) << n;
        EXPECT_EQ(answers.asked, 0) << n;
        // Only what the root made itself is left.
        EXPECT_EQ(root.ComponentCount(), 1) << n;
        EXPECT_FALSE(root.Title()->HasState(csLoading | csReading)) << n;
    }
    EXPECT_NO_THROW(toText(binary.left(binary.size() - 1)));

    const QByteArray text = readDataFile("sample.txt");
    const qsizetype complete = text.lastIndexOf("end") + 3;
    for (qsizetype n = 0; n < complete; ++n)
        EXPECT_THROW(toBinary(text.left(n)), EParserError) << n;
    EXPECT_NO_THROW(toBinary(text.left(complete)));
}

TEST_F(BadInput, LengthsAndValueTypesThatCannotBeTrustedEndTheRead)
{
    const QByteArray huge("\xFF\xFF\xFF\xFF", 4);
    const QByteArray values[] = {
        "\x0C" + huge,                               // LString
        "\x12" + huge,                               // WString
        "\x14" + huge,                               // UTF8String
        "\x0A" + huge,                               // Binary
        "\x12\x00\x00\x00\x80" + QByteArray(8, 'x'), // WString longer than what is left
        QByteArray("\x16", 1),                       // no such value type
        QByteArray("\xFF", 1),
        "\x05" + parseHex("00 00 00 00 00 00 00 C0 FF 7F"), // NaN
        "\x05" + parseHex("00 00 00 00 00 00 00 00 01 00"), // unnormal
        "\x15" + parseHex("00 00 00 00 00 00 F0 7F"),       // Double infinity
        "\x0E\x02\x01\x00\x00",                             // collection item that is no list
    };
    for (const QByteArray &value : values) {
        const QByteArray stream = rootWith(shortStr("Caption") + value);
        EXPECT_THROW(toText(stream), EReadError) << value.toHex().constData();
        // Structural: not even a hook that ignores everything lets the read go on.
        TSampleRoot root;
        Answers answers;
        EXPECT_THROW(readInto(&root, stream, [&](TReader &r) { answers.install(r); }), EReadError)
            << value.toHex().constData();
    }
    TSampleLabel label(nullptr);
    label.Precise = std::nanl("");
    EXPECT_THROW(writeRoot(&label), EWriteError);
}

TEST_F(BadInput, TenThousandNestedComponentsOrListsAreRefusedInBothForms)
{
    auto nestedBinary = [](int depth) {
        QByteArray b = "TPF0";
        for (int i = 0; i < depth; ++i)
            b += shortStr("TSampleBand") + shortStr("") + '\0';
        return b + QByteArray(depth, '\0');
    };
    auto nestedText = [](int depth) {
        QByteArray t;
        for (int i = 0; i < depth; ++i)
            t += "object TSampleBand\n";
        for (int i = 0; i < depth; ++i)
            t += "end\n";
        return t;
    };
    EXPECT_THROW(toText(nestedBinary(10000)), EReadError);
    EXPECT_THROW(toBinary(nestedText(10000)), EParserError);
    TSampleRoot root;
    Answers answers;
    EXPECT_THROW(readInto(&root, nestedBinary(10000), [&](TReader &r) { answers.install(r); }), EReadError);
    EXPECT_EQ(root.ComponentCount(), 1);

    // 256 levels are allowed, 257 are not.
    EXPECT_EQ(toBinary(toText(nestedBinary(256))), nestedBinary(256));
    EXPECT_THROW(toText(nestedBinary(257)), EReadError);
    EXPECT_THROW(toBinary(nestedText(257)), EParserError);
    TSampleRoot deep;
    readInto(&deep, nestedBinary(256));
    EXPECT_EQ(deep.ComponentCount(), 256); // its Title and 255 bands

    const QByteArray lists = rootWith(shortStr("Caption") + QByteArray(10000, '\x01'));
    EXPECT_THROW(toText(lists), EReadError);
    EXPECT_THROW(toBinary("object R: TSampleRoot\n Caption = " + QByteArray(10000, '(')), EParserError);
}

TEST_F(BadInput, AClassNameWhoseLengthLooksLikeAPrefixIsNotTakenForOne)
{
    // Where a component starts, a byte of 0xF0 or more is a prefix; a class
    // name of 240 characters or more gets a prefix without flags before it.
    for (int length : {239, 240, 255}) {
        const QByteArray className = 'T' + QByteArray(length - 1, 'x');
        const QByteArray text = "object R: " + className + "\r\n  Caption = 'c'\r\nend\r\n";
        const QByteArray binary = toBinary(text);
        const QByteArray start = length < 240 ? QByteArray(1, char(length)) : QByteArray("\xF0", 1) + char(length);
        EXPECT_EQ(binary.mid(4, start.size()), start) << length;
        EXPECT_EQ(toText(binary), text) << length;
        TSampleRoot root;
        readInto(&root, binary);
        EXPECT_EQ(root.Caption, QStringLiteral("c")) << length;
    }
}

TEST_F(BadInput, UnknownClassesPropertiesAndWrongValuesGoToTheErrorHook)
{
    const QByteArray stream = toBinary(R"(object R: TSampleRoot
  Caption = 'before'
  Colour = clRed
  object X: TNoSuchClass
    Anything = 1
    object Y: TSampleBand
    end
  end
  object B: TSampleBand
    Height = 'tall'
    Caption = 'after'
  end
end)");
    for (Answers::Mode mode : {Answers::Ignore, Answers::IgnoreAll}) {
        TSampleRoot root;
        Answers answers;
        answers.mode = mode;
        readInto(&root, stream, [&](TReader &r) { answers.install(r); });
        EXPECT_EQ(answers.classes, mode == Answers::Ignore ? QStringList({"EReadError", "EClassNotFound", "EReadError"})
                                                           : QStringList({"EReadError"}));
        EXPECT_EQ(root.Caption, QStringLiteral("before"));
        EXPECT_EQ(root.FindComponent(u"Y"), nullptr);
        auto *b = dynamic_cast<TSampleBand *>(root.FindComponent(u"B"));
        ASSERT_TRUE(b);
        EXPECT_EQ(b->Height, 0);
        EXPECT_EQ(b->Caption, QStringLiteral("after"));
    }
    TSampleRoot cancelled;
    Answers answers;
    answers.mode = Answers::Cancel;
    EXPECT_THROW(readInto(&cancelled, stream, [&](TReader &r) { answers.install(r); }), EReadError);
    EXPECT_EQ(answers.asked, 1);
    EXPECT_EQ(cancelled.ComponentCount(), 1);

    TSampleRoot unhooked;
    EXPECT_THROW(readInto(&unhooked, toBinary("object R: TSampleRoot\n object X: TNoSuchClass\n end\nend")),
                 EClassNotFound);
}

// A name from the stream reaches a terminal through the message: its control
// characters must not.
TEST_F(BadInput, NamesInMessagesShowTheirControlCharactersEscaped)
{
    const std::pair<QByteArray, const char *> cases[] = {
        {rootWith(shortStr("Cap\x1B[2Jtion") + "\x02\x01"), "Property Cap\\x1B[2Jtion does not exist"},
        {rootWith({}, component("TNo\x07" "Class", "X")), "Class TNo\\x07Class not found"},
        {rootWith({}, component("TNo\x7F" "Class", "X")), "Class TNo\\x7FClass not found"},
    };
    for (const auto &[stream, message] : cases) {
        TSampleRoot root;
        try {
            readInto(&root, stream);
            ADD_FAILURE() << message;
        } catch (const std::exception &e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST_F(BadInput, BadAndDuplicateNamesAreComponentErrors)
{
    const QByteArray stream = rootWith({}, component("TSampleBand", "a b") + component("TSampleBand", "B") +
                                               component("TSampleBand", "b") + component("TSampleBand", "C"));
    TSampleRoot root;
    Answers answers;
    readInto(&root, stream, [&](TReader &r) { answers.install(r); });
    EXPECT_EQ(answers.classes, QStringList({"EComponentError", "EComponentError"}));
    EXPECT_EQ(root.ComponentCount(), 3); // Title, B and C
    EXPECT_NE(root.FindComponent(u"C"), nullptr);
    TSampleRoot unhooked;
    EXPECT_THROW(readInto(&unhooked, stream), EComponentError);
    EXPECT_EQ(unhooked.ComponentCount(), 1);
}

TEST_F(BadInput, MissingReferenceTargetsAndHandlers)
{
    const QByteArray stream = toBinary(R"(object R: TSampleRoot
  OnOpen = NoSuchHandler
  object B: TSampleBand
    object L: TSampleLabel
      Link = Nowhere
    end
  end
end)");
    TSampleRoot root;
    Answers answers;
    readInto(&root, stream, [&](TReader &r) { answers.install(r); });
    EXPECT_EQ(answers.asked, 2);
    EXPECT_FALSE(root.OnOpen.Assigned());
    auto *label = dynamic_cast<TSampleLabel *>(root.FindComponent(u"L"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->Link(), nullptr);

    // A designer may keep the handler's name without a handler.
    TSampleRoot designed;
    readInto(&designed, stream, [&](TReader &r) {
        r.OnFindMethod = [](TReader &, const QString &, const std::any *&, bool &error) { error = false; };
        r.OnError = [](TReader &, const std::exception &, bool &handled) { handled = true; };
    });
    EXPECT_EQ(designed.OnOpen.Name(), QStringLiteral("NoSuchHandler"));
    EXPECT_FALSE(designed.OnOpen.Assigned());

    TSampleRoot unhooked;
    EXPECT_THROW(readInto(&unhooked, stream), EMethodNotFound);
    EXPECT_EQ(unhooked.ComponentCount(), 1);
}

TEST_F(BadInput, ASkippedComponentTakesItsPendingReferencesAlong)
{
    // L is read in full, then refused its place: it goes, and so do the
    // references it and its items were waiting for.
    const QByteArray stream = toBinary(R"(object R: TSampleRoot
  object B: TSampleBand
    object L: TSampleLabel [-1]
      Link = Later
      Items = <
        item
          Link = Later
        end>
    end
  end
  object Later: TSampleBand
  end
end)");
    TSampleRoot root;
    Answers answers;
    readInto(&root, stream, [&](TReader &r) { answers.install(r); });
    EXPECT_EQ(answers.classes, QStringList({"other"}));
    EXPECT_EQ(root.FindComponent(u"L"), nullptr);
    EXPECT_NE(root.FindComponent(u"Later"), nullptr);
    EXPECT_TRUE(dynamic_cast<TSampleBand *>(root.FindComponent(u"B"))->Labels().empty());

    // Items read twice: the references of the first items go with them.
    TSampleLabel label(nullptr);
    readInto(&label, toBinary(R"(object L: TSampleLabel
  Items = <
    item
      Link = L
    end>
  Items = <
    item
      Value = 2
    end>
end)"));
    ASSERT_EQ(label.Items()->Count(), 1);
    EXPECT_EQ(label.Items()->Item(0)->Value, 2);
    EXPECT_EQ(label.Items()->Item(0)->Link, nullptr);
}

TEST_F(BadInput, TextSyntaxErrors)
{
    struct Case
    {
        const char *value;
        bool valid;
    };
    const Case cases[] = {
        {"'abc", false},
        {"'ab\ncd'", false},
        {"#999", true},
        {"#70000", false},
        {"#", false},
        {"'a' +", false},
        {"'a' + 5", false},
        {"'a' + 'b'", true},
        {"'a'#13#$0A'b'", true},
        {"{0A1}", false},
        {"{0A 1B}", true},
        {"{0G}", false},
        {"[a, ]", false},
        {"[a b]", false},
        {"(1 2", false},
        {"< item end", false},
        {"< thing end >", false},
        {"1e", false},
        {"$", false},
        {"99999999999999999999", false},
        {"-9223372036854775808", true},
        {"1.5x", false},
        {"1.5c", true},
        {"-", false},
    };
    for (const Case &c : cases) {
        const QByteArray text = QByteArray("object R: TSampleRoot\n  Caption = ") + c.value + "\nend\n";
        if (c.valid)
            EXPECT_NO_THROW(toBinary(text)) << c.value;
        else
            EXPECT_THROW(toBinary(text), EParserError) << c.value;
    }
    for (const char *structure :
         {"object R: TSampleRoot\nend\nend\n", "object R: TSampleRoot\n", "end\n",
          "object R: TSampleRoot\n object B: TSampleBand\n end\n Caption = 'late'\nend\n", "object : \nend",
          "object R: TSampleRoot [x]\nend", "object R: TSampleRoot\n Items = <\n  item\n   Object = 1\n  end>\nend"})
        EXPECT_THROW(toBinary(structure), EParserError) << structure;
    EXPECT_THROW(toBinary(QByteArray("object\0R: TSampleRoot\nend", 25)), EParserError);

    // An empty wide text reads as an empty text.
    TSampleRoot empty;
    readInto(&empty, rootWith(shortStr("Caption") + QByteArray("\x12\0\0\0\0", 5)));
    EXPECT_TRUE(empty.Caption.isEmpty());

    // #999 is a character of its own (a wide text), not a byte.
    TSampleRoot root;
    readInto(&root, toBinary("object R: TSampleRoot\n Caption = #999'x'\nend"));
    EXPECT_EQ(root.Caption, QString(QChar(999)) + u'x');
}
