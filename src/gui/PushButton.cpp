#include "gui/PushButton.h"

#include <QMouseEvent>

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setMouseTracking(true);
    setAutoDefault(false);
}

void PushButton::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove();
    QPushButton::mouseMoveEvent(event);
    // Handled here: the window behind the button must not see it as a move
    // over its background.
    event->accept();
}
