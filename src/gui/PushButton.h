#pragma once

#include <QMouseEvent>
#include <QPushButton>

// A push button of the window: a caption, a click and a pointer-move event.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(const QString& caption, QWidget* parent = nullptr)
        : QPushButton(caption, parent)
    {
        setMouseTracking(true);
        setAutoDefault(false);
    }

signals:
    void MouseMove();

protected:
    // Accepted here: the window behind must not see a move over its background.
    void mouseMoveEvent(QMouseEvent* event) override
    {
        emit MouseMove();
        QPushButton::mouseMoveEvent(event);
        event->accept();
    }
};
