#pragma once

// A language module: the texts of one language for the library's message
// numbers, read from a UTF-8 text file of "id=text" lines. The id is the
// text's resource id (43000 + the message number); "\n", "\t" and "\\" in a
// text stand for a line break, a tab and a backslash; lines whose first
// non-blank character is "#" are comments. Lines that are no "id=text" are
// skipped, and a later line for an id replaces an earlier one.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

namespace report {

class LanguageModule
{
public:
    // Larger files are no language module (a few hundred texts are some kilobytes).
    static constexpr qsizetype MaxFileSize = 1024 * 1024;

    // nullptr when the data is not a module: not UTF-8, holding NUL bytes,
    // or larger than MaxFileSize. An empty file is a module without texts.
    static std::unique_ptr<LanguageModule> parse(const QByteArray &data);
    // nullptr when the file cannot be read or is not a module.
    static std::unique_ptr<LanguageModule> load(const QString &fileName);

    // '' when the module has no text for the id.
    QString text(int id) const { return m_texts.value(id); }
    int count() const { return int(m_texts.size()); }

private:
    QHash<int, QString> m_texts;
};

} // namespace report
