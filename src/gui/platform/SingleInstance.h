#pragma once

#include <QDeadlineTimer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <chrono>

class QLocalServer;
class QLocalSocket;

// One running copy of the program per stored code list: the copy that runs
// holds `<store folder>/.lock` and listens on a local socket named for the
// user and the folder; a copy started meanwhile asks it to come to the front
// and ends. A lock whose owner is gone never keeps a start out. A request is
// one short line that must arrive whole within a few seconds; a client that
// sends more, is too slow, or is another user, is dropped.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Start
    {
        // This copy runs, holding the lock or where no lock can be held.
        First,
        // Another copy runs and has come to the front.
        Raised,
        // Another copy holds the lock but gave no answer in time.
        Unreachable,
    };

    explicit SingleInstance(QString storeFolder, QObject* parent = nullptr);

    // Takes the lock, or asks the copy that holds it to come to the front,
    // trying again for up to `patience` while that copy does not answer.
    Start start(std::chrono::milliseconds patience = std::chrono::seconds(5));

    // Takes no more requests once `window` starts to close, so that later
    // copies wait for this one (which holds the lock until it goes) to end.
    void stopListeningOnClose(QObject& window) { window.installEventFilter(this); }

    // The name the copy of the given user listens under.
    static QString serverName(const QString& storeFolder, uint userId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // Another copy was started: bring the window to the front.
    void raiseRequested();

private:
    QString lockPath() const;
    QString serverPath() const;
    bool lockOwnerIsGone() const;
    void listen();
    void serve(QLocalSocket* client);
    bool askToRaise(const QDeadlineTimer& deadline) const;

    QString m_folder;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};
