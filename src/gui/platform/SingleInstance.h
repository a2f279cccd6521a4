#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <chrono>

class QLocalServer;

// One running copy of the program per stored code list. The copy that runs
// holds a lock file beside the store, `<store folder>/.lock`, and listens on
// a local socket named after the user and the store folder,
// `<runtime folder>/quorvane-<user id>-<hash of the store folder>`. A copy
// started while another runs asks that one to come to the front and ends.
// A lock left by a copy that is gone (it crashed, or was killed) is taken
// over.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Start
    {
        // This copy runs. It holds the lock, or the store's folder cannot
        // hold one (and so cannot be written by any copy either).
        First,
        // Another copy runs and has come to the front.
        Raised,
        // Another copy holds the lock but gave no answer in time.
        Unreachable,
    };

    explicit SingleInstance(QString storeFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks the copy that holds it to come to the front,
    // trying again for up to `patience` while that copy does not answer
    // (it may be starting, busy, or ending).
    Start start(std::chrono::milliseconds patience = std::chrono::seconds(5));

    // Takes no more requests, e.g. while the window closes; the lock is
    // held until this object goes.
    void stopListening();

    QString lockPath() const;
    QString serverPath() const;

signals:
    // Another copy was started: bring the window to the front.
    void raiseRequested();

private:
    void listen();
    bool askToRaise(std::chrono::milliseconds timeout) const;

    QString m_folder;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};
