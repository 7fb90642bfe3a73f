#pragma once

// The call-out sites of a library, read from its sources: every call
// through one of its events (a member named On..., called, or handed to a
// routine that calls it), named after the routine that makes it, and every
// Qt event entry its widgets override, named after the widget class. A
// sweep names the sites it fires with its victims; a check compares both
// lists, so that a call-out the code gains without a sweep entry fails.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <map>
#include <set>
#include <string>

namespace zvotest {

// Site name -> where it is (file:line), of the files matching the patterns
// (relative to the source root, e.g. "grid/core/*.cpp").
using CallOutSites = std::map<std::string, std::string>;

namespace calloutdetail {

inline QStringList sourceFiles(const QString &root, const QStringList &patterns)
{
    QStringList files;
    for (const QString &pattern : patterns) {
        const int slash = int(pattern.lastIndexOf(QLatin1Char('/')));
        const QDir dir(QDir(root).filePath(pattern.left(slash)));
        for (const QString &name : dir.entryList({pattern.mid(slash + 1)}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    return files;
}

inline QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd())
        lines << in.readLine();
    return lines;
}

inline std::string where(const QString &path, int line)
{
    return (QFileInfo(path).fileName() + QLatin1Char(':') + QString::number(line)).toStdString();
}

} // namespace calloutdetail

// Calls through events, "Routine: OnEvent" (or "Routine: receiver->OnEvent"
// when called on another object).
inline CallOutSites EventCallSites(const QString &root, const QStringList &patterns)
{
    using namespace calloutdetail;
    // A definition starts at the first column; its name is the last
    // identifier (with its class) before the parameter list.
    static const QRegularExpression definition(
        QStringLiteral(R"(^(?!return\b|if\b|else\b|namespace\b)(?=[A-Za-z])[^;(]*?\b((?:\w+::)*~?\w+)\()"));
    static const QRegularExpression call(QStringLiteral(R"((?:\b(\w+)(->|\.))?\b(On[A-Z]\w*)\s*\()"));
    static const QRegularExpression handed(QStringLiteral(R"((?:(?<!if |while )\(|,)\s*(On[A-Z]\w*)\s*[,)])"));
    CallOutSites sites;
    for (const QString &path : sourceFiles(root, patterns)) {
        const QStringList lines = linesOf(path);
        QString routine = QStringLiteral("(file scope)");
        for (int i = 0; i < lines.size(); ++i) {
            const QString &line = lines[i];
            if (line.trimmed().startsWith(QLatin1String("//")))
                continue;
            if (const QRegularExpressionMatch m = definition.match(line);
                m.hasMatch() && !line.trimmed().endsWith(QLatin1Char(';')))
                routine = m.captured(1);
            const QString code = line.left(int(line.indexOf(QLatin1String("//"))));
            for (auto it = call.globalMatch(code); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                const QString receiver = m.captured(1).isEmpty() ? QString() : m.captured(1) + m.captured(2);
                sites.emplace((routine + QStringLiteral(": ") + receiver + m.captured(3)).toStdString(),
                              where(path, i + 1));
            }
            for (auto it = handed.globalMatch(code); it.hasNext();)
                sites.emplace((routine + QStringLiteral(": ") + it.next().captured(1)).toStdString(),
                              where(path, i + 1));
        }
    }
    return sites;
}

// Qt event entries a widget class overrides, "Class::entry".
inline CallOutSites QtEntrySites(const QString &root, const QStringList &patterns)
{
    using namespace calloutdetail;
    static const QRegularExpression declared(QStringLiteral(R"(^\s*(?:class|struct)\s+(\w+)\s*(?::|$))"));
    static const QRegularExpression entry(
        QStringLiteral(R"(\b(\w+Event|event|eventFilter|viewportEvent)\s*\([^)]*\)\s*(?:const\s*)?override\b)"));
    CallOutSites sites;
    for (const QString &path : sourceFiles(root, patterns)) {
        const QStringList lines = linesOf(path);
        QString owner;
        for (int i = 0; i < lines.size(); ++i) {
            if (const QRegularExpressionMatch m = declared.match(lines[i]); m.hasMatch())
                owner = m.captured(1);
            if (const QRegularExpressionMatch m = entry.match(lines[i]); m.hasMatch())
                sites.emplace((owner + QStringLiteral("::") + m.captured(1)).toStdString(), where(path, i + 1));
        }
    }
    return sites;
}

// Virtual members of the classes the headers declare (at the first column),
// "Class::member", that the sources call: a descendant a program writes may
// override any of them and free the object the call was about. A line that
// declares or defines the member is no call.
inline CallOutSites VirtualCallSites(const QString &root, const QStringList &headers, const QStringList &sources)
{
    using namespace calloutdetail;
    static const QRegularExpression declared(QStringLiteral(R"(^(?:class|struct)\s+(\w+)\s*(?::|$|\{))"));
    static const QRegularExpression member(QStringLiteral(R"(^\s*virtual\s[^(~]*?\b(\w+)\s*\()"));
    std::map<QString, std::pair<QString, std::string>> members; // name -> class, where declared
    for (const QString &path : sourceFiles(root, headers)) {
        const QStringList lines = linesOf(path);
        QString owner;
        for (int i = 0; i < lines.size(); ++i) {
            if (const QRegularExpressionMatch m = declared.match(lines[i]); m.hasMatch())
                owner = m.captured(1);
            if (const QRegularExpressionMatch m = member.match(lines[i]); m.hasMatch())
                members.emplace(m.captured(1), std::make_pair(owner, where(path, i + 1)));
        }
    }
    CallOutSites sites;
    for (const QString &path : sourceFiles(root, sources)) {
        for (const QString &line : linesOf(path)) {
            const QString code = line.left(int(line.indexOf(QLatin1String("//"))));
            if (code.contains(QLatin1String("virtual ")) || code.contains(QLatin1String(" override")))
                continue;
            static const QRegularExpression use(QStringLiteral(R"(\b(\w+)\s*\()"));
            for (auto it = use.globalMatch(code); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                const auto declaration = members.find(m.captured(1));
                // Not a definition: "Type Class::name(" at the first column.
                if (declaration == members.end() || (!code[0].isSpace() && m.capturedStart() >= 2 &&
                                                     code.mid(int(m.capturedStart()) - 2, 2) == QLatin1String("::")))
                    continue;
                sites.emplace((declaration->second.first + QStringLiteral("::") + m.captured(1)).toStdString(),
                              declaration->second.second);
            }
        }
    }
    return sites;
}

// What the code has that neither the swept list nor the excused one names,
// and what those lists name that the code no longer has; empty when they
// agree.
inline std::string CallOutMismatch(const CallOutSites &code, const std::set<std::string> &swept,
                                   const std::map<std::string, std::string> &excused)
{
    std::string report;
    for (const auto &[site, at] : code)
        if (!swept.count(site) && !excused.count(site))
            report += "not swept: " + site + " (" + at + ")\n";
    for (const std::string &site : swept)
        if (!code.count(site))
            report += "swept but not in the code: " + site + "\n";
    for (const auto &[site, reason] : excused)
        if (!code.count(site))
            report += "excused but not in the code: " + site + "\n";
    return report;
}

inline QString SourceRoot()
{
    return qEnvironmentVariable("ZVO_SOURCE_DIR");
}

} // namespace zvotest
