#include "report/model/base/Messages.h"

#include "report/model/base/MessageTable.h"

#include "platform/rtl/LocalNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace report {

namespace {

// The built-in copies of the modules that ship with the program.
const QString BuiltInFolder = QStringLiteral(":/pplang");

std::unique_ptr<TppResourceManager> g_manager;

// A folder whose name is not UTF-8 is left out: decoded, it would name
// another folder, where another module could lie.
QString programFolder()
{
    const std::string folder = rtl::executableFolderBytes();
    if (folder.empty() || !rtl::decodesFaithfully(folder))
        return QString();
    return QFile::decodeName(QByteArray::fromStdString(folder));
}

std::unique_ptr<LanguageModule> loadModule(const QString &baseName, TppLanguageType language)
{
    const QString file = ppFindLanguageModule(baseName, language);
    return file.isEmpty() ? nullptr : LanguageModule::load(file);
}

} // namespace

QString ppLanguageExtension(TppLanguageType aLanguage)
{
    static const std::array<const char *, 14> extensions = {"dft", "dan", "nld", "eng", "fra", "deu", "ita",
                                                            "ptb", "ptg", "esp", "esm", "sve", "nor", "cst"};
    const size_t i = size_t(aLanguage);
    return i < extensions.size() ? QString::fromLatin1(extensions[i]) : QString();
}

QStringList ppLanguageModuleFolders()
{
    return QStringList{programFolder()} + ScopedLanguageModuleFolder::Override::valueOr({}) +
           QStringList{BuiltInFolder};
}

QString ppFindLanguageModule(const QString &aBaseName, TppLanguageType aLanguage)
{
    const QString extension = ppLanguageExtension(aLanguage);
    if (aBaseName.isEmpty() || extension.isEmpty())
        return QString();
    const QString name = aBaseName + u'.' + extension;
    if (name.contains(u'/'))
        return QFileInfo(name).isFile() ? name : QString();
    // The exact name first; then the lower-case name that files on Linux
    // usually have.
    const QString lower = name.toLower();
    for (const QString &folder : ppLanguageModuleFolders()) {
        if (folder.isEmpty())
            continue;
        for (const QString &candidate : {name, lower}) {
            const QString path = folder + u'/' + candidate;
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return QString();
}

ScopedLanguageModuleFolder::ScopedLanguageModuleFolder(const QString &folder)
    : m_override(Override::valueOr({}) << folder)
{}

// ---- TppResourceManager ----------------------------------------------------

TppResourceManager::~TppResourceManager() = default;

int TppResourceManager::indexOf(const QString &baseName) const
{
    for (size_t i = 0; i < m_modules.size(); ++i)
        if (m_modules[i].baseName.compare(baseName, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

bool TppResourceManager::SetLanguage(TppLanguageType aLanguage)
{
    if (aLanguage == m_language && m_loaded)
        return aLanguage == TppLanguageType::lgDefault || m_count > 0;

    // The new modules are loaded beside the old ones, so that a language
    // without modules leaves the texts of the current one in place.
    std::vector<std::unique_ptr<LanguageModule>> handles;
    int count = 0;
    for (const Module &m : m_modules) {
        handles.push_back(loadModule(m.baseName, aLanguage));
        if (handles.back())
            ++count;
    }
    if (aLanguage != TppLanguageType::lgDefault && count == 0)
        return false;
    for (size_t i = 0; i < m_modules.size(); ++i)
        m_modules[i].handle = std::move(handles[i]);
    m_count = count;
    m_language = aLanguage;
    m_loaded = true;
    return true;
}

void TppResourceManager::RegisterModule(const QString &aBaseName)
{
    if (indexOf(aBaseName) >= 0)
        return;
    Module m{aBaseName, loadModule(aBaseName, m_language)};
    if (m.handle)
        ++m_count;
    m_modules.push_back(std::move(m));
}

void TppResourceManager::UnregisterModule(const QString &aBaseName)
{
    const int i = indexOf(aBaseName);
    if (i < 0)
        return;
    if (m_modules[size_t(i)].handle)
        --m_count;
    m_modules.erase(m_modules.begin() + i);
}

QStringList TppResourceManager::ModuleNames() const
{
    QStringList names;
    for (const Module &m : m_modules)
        names << m.baseName;
    return names;
}

QString TppResourceManager::LoadStr(int aResourceId) const
{
    if (m_count > 0) {
        for (const Module &m : m_modules) {
            if (!m.handle)
                continue;
            QString text = m.handle->text(aResourceId);
            if (!text.isEmpty())
                return text;
        }
    }
    return ppOwnMessageText(aResourceId);
}

TppResourceManager &ppGetResourceManager()
{
    if (!g_manager)
        g_manager = std::make_unique<TppResourceManager>();
    return *g_manager;
}

void ppFreeResourceManager()
{
    g_manager.reset();
}

// ---- Texts -----------------------------------------------------------------

QString ppLoadStr(int n)
{
    const int64_t id = int64_t(n) + ppMessageIdBase;
    if (id < 0 || id > INT32_MAX)
        return QString();
    return ppGetResourceManager().LoadStr(int(id));
}

QString ppMessageTokensToFormat(const QString &aText)
{
    static const std::array<QString, 15> tokens = {
        QStringLiteral("<page>"),        QStringLiteral("<pagecount>"),   QStringLiteral("<documentname>"),
        QStringLiteral("<printername>"), QStringLiteral("<columnno>"),    QStringLiteral("<filename>"),
        QStringLiteral("<minbarwidth>"), QStringLiteral("<maxbarwidth>"), QStringLiteral("<character>"),
        QStringLiteral("<identifier>"),  QStringLiteral("<name>"),        QStringLiteral("<count>"),
        QStringLiteral("<message>"),     QStringLiteral("<length>"),      QStringLiteral("<no>")};
    if (!aText.contains(u'<'))
        return aText;
    QString text = aText;
    for (const QString &token : tokens)
        text.replace(token, QStringLiteral("%s"));
    return text;
}

QString ppFormatMessage(const QString &aText, const QStringList &aArgs)
{
    QString out;
    out.reserve(aText.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < aText.size(); ++i) {
        const QChar c = aText[i];
        if (c == u'%' && i + 1 < aText.size()) {
            const QChar f = aText[i + 1];
            if (f == u's') {
                if (next < aArgs.size())
                    out += aArgs[next];
                ++next;
                ++i;
                continue;
            }
            if (f == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString ppLoadStrFormat(int n, const QStringList &aArgs)
{
    return ppFormatMessage(ppMessageTokensToFormat(ppLoadStr(n)), aArgs);
}

} // namespace report
