#pragma once

#include <QPushButton>

// A push button of the window: a caption, a click and a pointer-move event.
class PushButton : public QPushButton
{
    Q_OBJECT

public:
    explicit PushButton(const QString& caption, QWidget* parent = nullptr);

signals:
    void MouseMove();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};
