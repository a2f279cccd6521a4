#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QString>
#include <memory>

// A private X server (Xvfb) for one test, and what a test reads from it: the
// windows on the screen and the pointer's image. Programs started with
// display() as DISPLAY show their windows there.
class XServer
{
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Whether the server runs and the test is connected to it; when not,
    // error() says why.
    bool isRunning() const { return m_display != nullptr; }
    const QString& error() const { return m_error; }
    // ":<number>"
    const QString& display() const { return m_name; }

    // The mapped top-level window with this title, waiting up to `timeoutMs`;
    // 0 when none appears.
    unsigned long waitForWindow(const QString& title, int timeoutMs);
    // The titles of the mapped top-level windows, for messages.
    QStringList windowTitles();

    // The class of a window's program (the second part of WM_CLASS).
    QString windowClass(unsigned long window);

    // The colour of one pixel of a window as it is on the screen.
    QColor pixel(unsigned long window, QPoint point);

    // Moves the pointer to a point of a window, as a user's mouse would.
    void movePointer(unsigned long window, QPoint point);

    // The image the pointer shows now, with its hotspot.
    struct Pointer
    {
        QImage image;
        QPoint hotspot;
    };
    Pointer pointer();

    // Asks a window to close, as its close button does.
    void closeWindow(unsigned long window);

private:
    QProcess m_server;
    QString m_name;
    QString m_error;
    void* m_display = nullptr;
};
