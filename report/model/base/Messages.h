#pragma once

// The library's numbered messages. Message n has the resource id 43000 + n;
// its text comes from the first registered language module that has one for
// the current language, else from the library's own English table, else ''.
//
// A language module is the file "<base name>.<extension of the language>"
// (LanguageModule.h). It is looked for in the program folder, then in the
// folders a test adds, then among the texts built into the library; a base
// name with a "/" is a path and only that file counts. The first file found
// decides: when it does not read as a module, the module is not loaded.

#include "report/model/base/LanguageModule.h"
#include "report/model/base/Types.h"

#include "platform/rtl/ScopedOverride.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace report {

constexpr int ppMessageIdBase = 43000;

// "dft", "dan", ... "cst".
QString ppLanguageExtension(TppLanguageType aLanguage);

class TppResourceManager
{
public:
    TppResourceManager() = default;
    ~TppResourceManager();
    TppResourceManager(const TppResourceManager &) = delete;
    TppResourceManager &operator=(const TppResourceManager &) = delete;

    TppLanguageType Language() const { return m_language; }
    // Loads the modules of aLanguage first and changes over only when that
    // succeeds: a language other than lgDefault for which no module loads
    // answers false and leaves the language and its texts as they were.
    bool SetLanguage(TppLanguageType aLanguage);

    // A name already registered (compared without regard to case) is kept once.
    void RegisterModule(const QString &aBaseName);
    void UnregisterModule(const QString &aBaseName);

    // The registered base names in order, and how many of their modules loaded.
    QStringList ModuleNames() const;
    int ModuleCount() const { return m_count; }

    // The text of a resource id.
    QString LoadStr(int aResourceId) const;

private:
    struct Module
    {
        QString baseName;
        std::unique_ptr<LanguageModule> handle; // nullptr: not loaded
    };

    int indexOf(const QString &baseName) const;

    TppLanguageType m_language = TppLanguageType::lgDefault;
    std::vector<Module> m_modules;
    int m_count = 0;
    bool m_loaded = false;
};

// The process-wide manager, made on first use; freed by the model layer's
// release (or by a test that wants a fresh one).
TppResourceManager &ppGetResourceManager();
void ppFreeResourceManager();

QString ppLoadStr(int n);
// Message n with its placeholders as "%s", filled with aArgs in order.
// Nothing of the text reaches a printf-style formatter: "%s" takes the next
// argument ('' when they have run out), "%%" gives "%", any other "%" stays.
QString ppLoadStrFormat(int n, const QStringList &aArgs);
// The same on a text of the caller's.
QString ppFormatMessage(const QString &aText, const QStringList &aArgs);
// aText with each of "<page>", "<pagecount>", "<documentname>",
// "<printername>", "<columnno>", "<filename>", "<minbarwidth>",
// "<maxbarwidth>", "<character>", "<identifier>", "<name>", "<count>",
// "<message>", "<length>", "<no>" replaced by "%s", in that order.
QString ppMessageTokensToFormat(const QString &aText);

// Where language modules are looked for, in order (the program folder, the
// folders added, the built-in texts).
QStringList ppLanguageModuleFolders();
// The file a module is loaded from; '' when there is none.
QString ppFindLanguageModule(const QString &aBaseName, TppLanguageType aLanguage);

// Adds a folder to look for language modules in, after those added before,
// for a scope (tests).
class ScopedLanguageModuleFolder
{
public:
    explicit ScopedLanguageModuleFolder(const QString &folder);

    using Override = rtl::ScopedOverride<struct LanguageModuleFoldersTag, QStringList>;

private:
    Override m_override;
};

} // namespace report
