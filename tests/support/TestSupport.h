#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <string>

namespace zvotest {

// Reads or writes a whole file as bytes; the tests compare exact bytes.
std::string readFile(const QString &path);
bool writeFile(const QString &path, const std::string &bytes);

// Runs the check in a child whose alarm ends a read that waits or never
// ends; the child's answer, or -1 when the alarm or a crash ended it.
int inTimedChild(const std::function<int()> &check);

// A fresh copy of build/program in a temporary folder, removed on destruction.
class ProgramFolder
{
public:
    ProgramFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

} // namespace zvotest
