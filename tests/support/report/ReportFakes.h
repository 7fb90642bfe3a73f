#pragma once

// Stand-ins for what the report library asks of the machine: a printer of a
// fixed resolution and a folder of language modules.

#include "report/model/base/Messages.h"
#include "report/model/base/Units.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace reporttest {

// A printer with the given pixels per inch on each axis (600 x 600 unless told).
class FakePrinterResolution : public report::PrinterResolution
{
public:
    explicit FakePrinterResolution(int horizontal = 600, int vertical = 600)
        : m_horizontal(horizontal)
        , m_vertical(vertical)
    {}
    int pixelsPerInch(report::TppAxisType axis) const override
    {
        return axis == report::TppAxisType::atHorizontal ? m_horizontal : m_vertical;
    }

private:
    int m_horizontal;
    int m_vertical;
};

// A temporary folder searched for language modules while it lives.
class LanguageModuleFolder
{
public:
    LanguageModuleFolder();
    ~LanguageModuleFolder();
    QString path() const { return m_dir.path(); }
    // Writes the file "name" with exactly these bytes; false when it cannot.
    bool write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<report::ScopedLanguageModuleFolder> m_scope;
};

} // namespace reporttest
