#pragma once
// One running copy owns the program's data folder: the series it keeps between runs and
// the statistics. The owner holds a lock file there for its whole run; a copy started
// while it runs asks it to come forward and ends, so no two copies ever play one series
// or write one file. A lock left by a copy that crashed is taken over.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

class TDataFolderOwner : public QObject
{
    Q_OBJECT
public:
    enum class TClaim : uint8_t
    {
        Owner,        // this copy owns the folder now
        OtherRunning, // another copy does: it has been asked to come forward
    };

    explicit TDataFolderOwner(const QString& Folder, QObject* Parent = nullptr);
    ~TDataFolderOwner() override;

    // Takes the folder, or tells the copy that holds it to come forward. A folder that
    // cannot hold a lock at all (not writable) is taken without one: nothing is saved then
    // anyway.
    TClaim Claim();

    static QString LockFileName() { return QStringLiteral("brindletop.lock"); }

Q_SIGNALS:
    // In the owner: another copy was started and asks this one to come forward.
    void ComeForward();

private:
    QString FFolder;
    QLockFile FLock;
    QLocalServer* FServer = nullptr;
};
