#pragma once

// One running program per program folder. Two programs on one folder would
// each save their own list over the other's at close, so the first start
// holds a lock file in the folder, and a later start on the same folder asks
// it to show its window and ends.

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QLocalServer;
class QLockFile;

namespace app {

class ProgramInstance : public QObject
{
    Q_OBJECT
public:
    explicit ProgramInstance(const QString &folder, QObject *parent = nullptr);
    ~ProgramInstance() override;

    // True when this start may run: it holds the folder now (a lock left by
    // a program that no longer runs is taken over), or the folder cannot
    // take a lock file at all, in which case nothing can be saved there
    // either. False while another running program holds the folder.
    bool claim();
    // Asks the program that holds the folder to show its window; false when
    // it cannot be reached.
    bool askToRaise(int timeoutMs = 2000);

    // The lock file and the name later starts reach this one by.
    static QString lockFileName(const QString &folder);
    static QString serverName(const QString &folder);

signals:
    // A later start on the folder asked for the window.
    void raiseRequested();

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

// What a later start on a folder that is held tells the user.
QString AlreadyRunningText(const QString &folder);

} // namespace app
