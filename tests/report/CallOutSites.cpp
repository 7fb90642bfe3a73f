#include "tests/report/CallOutSites.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <map>
#include <set>

namespace reporttest {

namespace {

struct Source
{
    QString path; // relative to the root
    QString text;
};

// The sources of the library with their comments blanked out (line breaks
// kept, so that line numbers still hold), string literals too.
std::vector<Source> readSources(const QString &aRoot, const QString &aSuffix)
{
    std::vector<Source> sources;
    QDirIterator it(aRoot + QStringLiteral("/report"), {QStringLiteral("*") + aSuffix}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QString text = QString::fromUtf8(file.readAll());
        enum { Code, Line, Block, Str, Chr } state = Code;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            const QChar n = i + 1 < text.size() ? text[i + 1] : QChar();
            switch (state) {
            case Code:
                if (c == u'/' && n == u'/')
                    state = Line;
                else if (c == u'/' && n == u'*')
                    state = Block;
                else if (c == u'"')
                    state = Str;
                else if (c == u'\'')
                    state = Chr;
                else
                    continue;
                if (state == Line || state == Block)
                    text[i] = u' ';
                continue;
            case Line:
                if (c == u'\n')
                    state = Code;
                else
                    text[i] = u' ';
                continue;
            case Block:
                if (c == u'*' && n == u'/') {
                    text[i] = text[i + 1] = u' ';
                    ++i;
                    state = Code;
                } else if (c != u'\n') {
                    text[i] = u' ';
                }
                continue;
            case Str:
            case Chr:
                if (c == u'\\') {
                    text[i] = u' ';
                    if (i + 1 < text.size() && text[i + 1] != u'\n')
                        text[++i] = u' ';
                } else if ((state == Str && c == u'"') || (state == Chr && c == u'\'')) {
                    state = Code;
                } else if (c != u'\n') {
                    text[i] = u' ';
                }
                continue;
            }
        }
        sources.push_back({QDir(aRoot).relativeFilePath(path), text});
    }
    return sources;
}

int lineOf(const QString &aText, qsizetype aOffset)
{
    return int(aText.left(aOffset).count(u'\n')) + 1;
}

// The routine whose body holds the offset: the last line before it that
// starts in the first column and names a routine.
QString routineAt(const QString &aText, qsizetype aOffset)
{
    static const QRegularExpression head(QStringLiteral(R"(^(?![\s#{}/])[^;\n]*?((?:\w+::)*~?\w+)\s*\()"),
                                         QRegularExpression::MultilineOption);
    QString name;
    auto it = head.globalMatch(QStringView(aText).left(aOffset));
    while (it.hasNext())
        name = it.next().captured(1);
    return name;
}

void add(std::map<std::string, std::string> &aSites, const QString &aName, const Source &aSource, qsizetype aOffset)
{
    aSites.emplace(aName.toStdString(), (aSource.path + u':' + QString::number(lineOf(aSource.text, aOffset))).toStdString());
}

// The types of the event holders: the holder itself and every name given
// to it.
QStringList holderTypes(const std::vector<Source> &aHeaders)
{
    QStringList types = {QStringLiteral("TEvent"), QStringLiteral("TNotifyEvent")};
    for (bool grown = true; grown;) {
        grown = false;
        const QRegularExpression alias(QStringLiteral(R"(\busing\s+(\w+)\s*=\s*(?:classes::)?(?:%1)\b)")
                                           .arg(types.join(u'|')));
        for (const Source &source : aHeaders) {
            auto it = alias.globalMatch(source.text);
            while (it.hasNext()) {
                const QString name = it.next().captured(1);
                if (!types.contains(name)) {
                    types << name;
                    grown = true;
                }
            }
        }
    }
    return types;
}

// The names of the event holders: every member of a holder's type.
std::set<QString> holderNames(const std::vector<Source> &aHeaders, const QStringList &aTypes)
{
    const QRegularExpression member(
        QStringLiteral(R"(^\s*(?:classes::)?(?:%1)\b(?:<[^;\n]*>)?\s+(\w+)\s*;)").arg(aTypes.join(u'|')),
        QRegularExpression::MultilineOption);
    std::set<QString> names;
    for (const Source &source : aHeaders) {
        auto it = member.globalMatch(source.text);
        while (it.hasNext())
            names.insert(it.next().captured(1));
    }
    return names;
}

// Routines that take a holder and call it for their caller (a band's
// fireBandEvent): the holder passed to them is called where they are.
QStringList relays(const std::vector<Source> &aSources, const QStringList &aTypes)
{
    const QRegularExpression relay(
        QStringLiteral(R"(\b(\w+)\s*\([^;{)]*?\b(?:classes::)?(?:%1)\b(?:<[^>&]*>)?\s*&)").arg(aTypes.join(u'|')));
    QStringList names;
    for (const Source &source : aSources) {
        auto it = relay.globalMatch(source.text);
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            if (!names.contains(name))
                names << name;
        }
    }
    return names;
}

// The classes of the library as written: each class with its base.
std::map<QString, QString> classBases(const std::vector<Source> &aHeaders)
{
    static const QRegularExpression decl(
        QStringLiteral(R"(\bclass\s+(\w+)\s*(?:final\s*)?:\s*public\s+(?:\w+::)*(\w+))"));
    std::map<QString, QString> bases;
    for (const Source &source : aHeaders) {
        auto it = decl.globalMatch(source.text);
        while (it.hasNext()) {
            const auto m = it.next();
            bases[m.captured(1)] = m.captured(2);
        }
    }
    return bases;
}

bool derivesFrom(const std::map<QString, QString> &aBases, QString aClass, const QString &aBase)
{
    for (int depth = 0; depth < 32; ++depth) {
        const auto it = aBases.find(aClass);
        if (it == aBases.end())
            return false;
        if (it->second == aBase)
            return true;
        aClass = it->second;
    }
    return false;
}

// The steps of a printable that a program's class overrides to take part in
// a run: the routines the printable base and the stretchable, custom
// component and custom text declare virtual that change something (no
// answer, no setter) and are not the designer's.
void addSteps(std::map<std::string, std::string> &aSites, const std::vector<Source> &aHeaders)
{
    static const QRegularExpression step(QStringLiteral(R"(^\s*virtual\s+void\s+(\w+)\s*\(([^)]*)\)\s*(const)?)"),
                                         QRegularExpression::MultilineOption);
    static const std::map<QString, QString> owners = {
        {QStringLiteral("report/model/bands/Printable.h"), QStringLiteral("TppPrintable")},
        {QStringLiteral("report/model/bands/Stretchable.h"), QStringLiteral("TppStretchable")},
        {QStringLiteral("report/content/text/CustomComponent.h"), QStringLiteral("TppCustomComponent")},
        {QStringLiteral("report/content/text/CustomText.h"), QStringLiteral("TppCustomText")},
    };
    for (const Source &source : aHeaders) {
        const auto owner = owners.find(source.path);
        if (owner == owners.end())
            continue;
        auto it = step.globalMatch(source.text);
        while (it.hasNext()) {
            const auto m = it.next();
            const QString name = m.captured(1);
            if (!m.captured(3).isEmpty() || name.startsWith(u"Set") || name.contains(u"Design") ||
                name.contains(u"Popup") || name.contains(u"Dialog") || name == u"Convert")
                continue;
            add(aSites, QStringLiteral("virtual %1::%2").arg(owner->second, name), source, m.capturedStart(1));
        }
    }
    // GetText answers, but it is the step that runs OnGetText.
    static const QRegularExpression getText(QStringLiteral(R"(\bvirtual\s+QString\s+GetText\s*\(\s*\))"));
    for (const Source &source : aHeaders)
        if (const auto m = getText.match(source.text); m.hasMatch() && source.path == u"report/model/bands/Printable.h")
            add(aSites, QStringLiteral("virtual TppPrintable::GetText"), source, m.capturedStart());
}

} // namespace

std::vector<CallOutSite> ScanCallOutSites(const std::string &aRoot)
{
    const QString root = QString::fromStdString(aRoot);
    const std::vector<Source> headers = readSources(root, QStringLiteral(".h"));
    std::vector<Source> bodies = readSources(root, QStringLiteral(".cpp"));
    std::vector<Source> all = headers;
    all.insert(all.end(), bodies.begin(), bodies.end());

    std::map<std::string, std::string> sites;
    const QStringList types = holderTypes(headers);
    const std::set<QString> holders = holderNames(headers, types);
    const QStringList relayNames = relays(all, types);

    // A holder called: "OnPrint(this)", "m_viewer.OnClick(nullptr)"; not
    // its definition or a member pointer ("Tpp::OnPrint", "&T::OnPrint").
    static const QRegularExpression call(QStringLiteral(R"((?<![\w:&.>])(?:\w+(?:->|\.))*(\w+)\s*\()"));
    // A holder handed to a relay, wherever among its arguments:
    // "fire(OnOpen, ...)", "notify(*this, OnClose, ...)".
    const QRegularExpression relayed(QStringLiteral(R"(\b(?:%1)\s*\(([^;{]*))").arg(relayNames.join(u'|')));
    static const QRegularExpression word(QStringLiteral(R"((?<![\w:])(\w+)\b(?!\s*\())"));
    // A holder copied before it is called: "const TNotifyEvent handler = OnClose".
    const QRegularExpression copied(
        QStringLiteral(R"(\b(?:(?:classes::)?(?:%1)\b(?:<[^;]*?>)?|auto)\s*&?\s*\w+\s*[={(]\s*(?:\w+(?:->|\.))*(\w+)\s*[;)}])")
            .arg(types.join(u'|')));
    const auto site = [&](const Source &aSource, const QString &aHolder, qsizetype aOffset) {
        if (!holders.count(aHolder))
            return;
        const QString routine = routineAt(aSource.text, aOffset);
        if (!routine.isEmpty()) // else a declaration in a header
            add(sites, routine + u'/' + aHolder, aSource, aOffset);
    };
    for (const Source &source : all) {
        for (const QRegularExpression *pattern : {&call, &copied}) {
            auto it = pattern->globalMatch(source.text);
            while (it.hasNext()) {
                const auto m = it.next();
                site(source, m.captured(1), m.capturedStart(1));
            }
        }
        auto it = relayed.globalMatch(source.text);
        while (it.hasNext()) {
            const auto m = it.next();
            auto words = word.globalMatch(m.captured(1));
            while (words.hasNext())
                site(source, words.next().captured(1), m.capturedStart(1));
        }
    }

    const std::map<QString, QString> bases = classBases(headers);
    for (const auto &[name, base] : bases)
        if (name == u"TppDevice" || derivesFrom(bases, name, QStringLiteral("TppDevice")))
            for (const Source &source : headers)
                if (const auto m = QRegularExpression(QStringLiteral(R"(\bclass\s+%1\s*(?:final\s*)?:)").arg(name))
                                       .match(source.text);
                    m.hasMatch()) {
                    add(sites, QStringLiteral("device ") + name, source, m.capturedStart());
                    break;
                }
    static const QRegularExpression paint(QStringLiteral(R"(\b(\w+)::PaintDesignControl\s*\()"));
    for (const Source &source : bodies) {
        auto it = paint.globalMatch(source.text);
        while (it.hasNext()) {
            const auto m = it.next();
            add(sites, QStringLiteral("paint ") + m.captured(1), source, m.capturedStart());
        }
    }
    addSteps(sites, headers);

    std::vector<CallOutSite> list;
    for (const auto &[name, where] : sites)
        list.push_back({name, where});
    return list;
}

} // namespace reporttest
