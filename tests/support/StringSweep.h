#pragma once

// Every string a component stores, read from the property tables, set to a
// text in other scripts and beyond U+FFFF, and read back through both stream
// forms. Name and UserName are identifiers and stay out.

#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringList.h"

#include <QString>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace zvotest {

// Cyrillic, CJK, Arabic, an emoji and a CJK character beyond U+FFFF; n makes
// each text its own, so that two properties that swap their values show.
inline QString sweepText(int n)
{
    return QString::fromUtf8("\xD0\x96\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C \xE6\xBC\xA2\xE5\xAD\x97 "
                             "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A \xF0\x9F\x98\x80\xF0\xA0\x80\x80 #") +
           QString::number(n);
}

// An object the sweep reaches from the component it writes: the component
// itself, a sub-component, a collection item.
using Locate = std::function<classes::TPersistent *(classes::TComponent &root)>;

struct SweptString
{
    std::string path; // "TppLabel.Font.Name", "Bands[0].Caption"
    Locate owner;     // the object whose property it is
    const classes::TPropInfo *prop = nullptr;
    bool lines = false; // a string list's lines rather than a string
    // The sub-object properties that lead to the owner, each with its own
    // owner: a string is stored only when each of them is.
    std::vector<std::pair<Locate, const classes::TPropInfo *>> via;
    bool stored(classes::TComponent &root) const
    {
        for (const auto &[at, step] : via)
            if (!step->IsStored(*at(root)))
                return false;
        return lines || prop->IsStored(*owner(root));
    }
    QString get(classes::TComponent &root) const
    {
        classes::TPersistent *o = owner(root);
        if (!o)
            return QStringLiteral("(gone)");
        if (!lines)
            return prop->GetStr(*o);
        auto *list = dynamic_cast<classes::TStrings *>(prop->GetObj(*o));
        if (!list)
            return QStringLiteral("(gone)");
        // The lines, without the break a string list ends its text with.
        QString text = list->Text();
        if (text.endsWith(u'\n'))
            text.chop(text.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
        return text;
    }
    void set(classes::TComponent &root, const QString &text) const
    {
        classes::TPersistent *o = owner(root);
        if (!lines)
            prop->SetStr(*o, text);
        else if (auto *list = dynamic_cast<classes::TStrings *>(prop->GetObj(*o)))
            list->SetText(text);
    }
};

// The strings of the object at `at` and of the objects it owns, from its
// class's property table: string properties, string lists, sub-objects and
// the first item of each collection (one is added where there is none).
inline void collectStrings(classes::TComponent &root, const Locate &at, const std::string &prefix, int depth,
                           std::vector<SweptString> &out,
                           const std::vector<std::pair<Locate, const classes::TPropInfo *>> &via = {})
{
    classes::TPersistent *object = at(root);
    if (!object || depth > 3)
        return;
    for (const classes::TPropInfo *prop : object->ClassType().Properties()) {
        // A component's Name and a report object's UserName are identifiers;
        // a font's Name is a family, text like any other.
        if ((prop->Name == u"Name" || prop->Name == u"UserName") && dynamic_cast<classes::TComponent *>(object))
            continue;
        const std::string path = prefix + prop->Name.toStdString();
        if (prop->Kind == classes::TTypeKind::tkString && prop->GetStr && prop->SetStr) {
            out.push_back({path, at, prop, false, via});
            continue;
        }
        if (prop->Kind != classes::TTypeKind::tkClass || prop->IsReference() || !prop->GetObj)
            continue;
        classes::TPersistent *sub = prop->GetObj(*object);
        if (!sub)
            continue;
        if (dynamic_cast<classes::TStrings *>(sub)) {
            out.push_back({path, at, prop, true, via});
            continue;
        }
        const Locate subAt = [at, prop](classes::TComponent &r) -> classes::TPersistent * {
            classes::TPersistent *o = at(r);
            return o ? prop->GetObj(*o) : nullptr;
        };
        if (auto *collection = dynamic_cast<classes::TCollection *>(sub)) {
            if (collection->Count() == 0)
                collection->Add();
            const Locate itemAt = [subAt](classes::TComponent &r) -> classes::TPersistent * {
                auto *c = dynamic_cast<classes::TCollection *>(subAt(r));
                return c && c->Count() > 0 ? c->Items(0) : nullptr;
            };
            auto deeper = via;
            deeper.emplace_back(at, prop);
            collectStrings(root, itemAt, path + "[0].", depth + 1, out, deeper);
            continue;
        }
        auto deeper = via;
        deeper.emplace_back(at, prop);
        collectStrings(root, subAt, path + ".", depth + 1, out, deeper);
    }
}

struct SweepResult
{
    int swept = 0;                    // strings set and read back
    std::set<std::string> properties; // the distinct properties among them
    std::vector<std::string> failures;
};

// Sets every string of the objects at `targets` (named by `names`), writes
// `written` in the binary form and through the text form, reads each into a
// component `fresh` makes, and tells which strings did not come back whole.
// A string whose property is not stored once set is not counted; leftOut
// names the strings that are no text (names looked up, digits, bytes).
inline SweepResult sweepThroughStreams(classes::TComponent &written, const std::vector<Locate> &targets,
                                       const std::vector<std::string> &names,
                                       const std::function<classes::TComponent &()> &fresh,
                                       const std::function<bool(const std::string &path)> &leftOut = {})
{
    SweepResult result;
    std::vector<std::pair<SweptString, QString>> expected;
    for (size_t t = 0; t < targets.size(); ++t) {
        std::vector<SweptString> strings;
        collectStrings(written, targets[t], names[t] + ".", 0, strings);
        for (const SweptString &s : strings) {
            if (leftOut && leftOut(s.path))
                continue;
            const QString text = sweepText(int(expected.size()));
            s.set(written, text);
            const QString back = s.get(written);
            if (back != text) {
                result.failures.push_back(s.path + ": set, reads back as \"" + back.toStdString() + "\"");
                continue;
            }
            if (s.stored(written))
                expected.emplace_back(s, back);
        }
    }
    result.swept = int(expected.size());
    for (const auto &entry : expected)
        result.properties.insert(entry.first.path);
    classes::TMemoryStream binary;
    binary.WriteComponent(&written);
    classes::TMemoryStream text, fromText;
    binary.SetPosition(0);
    classes::ObjectBinaryToText(binary, text);
    text.SetPosition(0);
    classes::ObjectTextToBinary(text, fromText);
    for (classes::TMemoryStream *form : {&binary, &fromText}) {
        const char *formName = form == &binary ? " (binary form)" : " (text form)";
        form->SetPosition(0);
        classes::TComponent &read = fresh();
        try {
            form->ReadComponent(&read);
        } catch (const std::exception &e) {
            result.failures.push_back(std::string("read") + formName + ": " + e.what());
            continue;
        }
        for (const auto &[s, value] : expected) {
            const QString back = s.get(read);
            if (back != value)
                result.failures.push_back(s.path + formName + ": reads back as \"" + back.toStdString() + "\"");
        }
    }
    return result;
}

} // namespace zvotest
