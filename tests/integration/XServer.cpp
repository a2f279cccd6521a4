#include "XServer.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

// The X headers come last: they define macros (None, Bool, Status, ...) that
// clash with names in Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

namespace {

Display* dpy(void* display)
{
    return static_cast<Display*>(display);
}

QString titleOf(Display* display, Window window)
{
    XTextProperty property;
    if (!XGetWMName(display, window, &property) || !property.value)
        return {};
    const QString title =
        QString::fromLatin1(reinterpret_cast<const char*>(property.value), int(property.nitems));
    XFree(property.value);
    return title;
}

template <typename Visit> void forEachMappedWindow(Display* display, Visit&& visit)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            visit(children[i]);
    }
    if (children)
        XFree(children);
}

} // namespace

XServer::XServer()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) {
        m_error = QStringLiteral("Xvfb is not installed");
        return;
    }
    // -displayfd: the server takes a free display number and writes it out.
    m_server.start(xvfb,
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    QByteArray number;
    QElapsedTimer waited;
    waited.start();
    while (!number.contains('\n') && waited.elapsed() < 10000 &&
           m_server.state() != QProcess::NotRunning) {
        m_server.waitForReadyRead(200);
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_error = QStringLiteral("Xvfb did not start: ") +
                  QString::fromLocal8Bit(m_server.readAllStandardError());
        return;
    }
    m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    m_display = XOpenDisplay(m_name.toLatin1().constData());
    int eventBase = 0;
    int errorBase = 0;
    if (!m_display)
        m_error = QStringLiteral("cannot connect to ") + m_name;
    else if (!XFixesQueryExtension(dpy(m_display), &eventBase, &errorBase))
        m_error = QStringLiteral("the X server has no XFIXES");
    if (!m_error.isEmpty() && m_display) {
        XCloseDisplay(dpy(m_display));
        m_display = nullptr;
    }
}

XServer::~XServer()
{
    if (m_display)
        XCloseDisplay(dpy(m_display));
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
}

unsigned long XServer::waitForWindow(const QString& title, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    do {
        Window found = 0;
        forEachMappedWindow(dpy(m_display), [&](Window w) {
            if (!found && titleOf(dpy(m_display), w) == title)
                found = w;
        });
        if (found)
            return found;
        QThread::msleep(50);
    } while (waited.elapsed() < timeoutMs);
    return 0;
}

QStringList XServer::windowTitles()
{
    QStringList titles;
    forEachMappedWindow(dpy(m_display),
                        [&](Window w) { titles.append(titleOf(dpy(m_display), w)); });
    return titles;
}

QString XServer::windowClass(unsigned long window)
{
    XClassHint hint{};
    if (!XGetClassHint(dpy(m_display), window, &hint))
        return {};
    const QString name = QString::fromLatin1(hint.res_class);
    XFree(hint.res_name);
    XFree(hint.res_class);
    return name;
}

QColor XServer::pixel(unsigned long window, QPoint point)
{
    XImage* image =
        XGetImage(dpy(m_display), window, point.x(), point.y(), 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return {};
    // A 24-bit TrueColor screen: 0xRRGGBB.
    const unsigned long value = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return QColor(QRgb(value & 0xFFFFFF));
}

void XServer::movePointer(unsigned long window, QPoint point)
{
    XWarpPointer(dpy(m_display), 0, window, 0, 0, 0, 0, point.x(), point.y());
    XSync(dpy(m_display), False);
}

XServer::Pointer XServer::pointer()
{
    XFixesCursorImage* cursor = XFixesGetCursorImage(dpy(m_display));
    if (!cursor)
        return {};
    Pointer pointer;
    pointer.hotspot = QPoint(cursor->xhot, cursor->yhot);
    pointer.image = QImage(cursor->width, cursor->height, QImage::Format_ARGB32_Premultiplied);
    // One pixel per unsigned long, ARGB in its low 32 bits.
    for (int y = 0; y < cursor->height; ++y)
        for (int x = 0; x < cursor->width; ++x)
            pointer.image.setPixel(x, y, uint(cursor->pixels[y * cursor->width + x] & 0xFFFFFFFF));
    XFree(cursor);
    return pointer;
}

void XServer::closeWindow(unsigned long window)
{
    Display* display = dpy(m_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}
