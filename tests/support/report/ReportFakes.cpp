#include "tests/support/report/ReportFakes.h"

#include <QFile>

namespace reporttest {

LanguageModuleFolder::LanguageModuleFolder()
    : m_scope(std::make_unique<report::ScopedLanguageModuleFolder>(m_dir.path()))
{}

LanguageModuleFolder::~LanguageModuleFolder() = default;

bool LanguageModuleFolder::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace reporttest
