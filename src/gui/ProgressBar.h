#pragma once

#include <QTimer>
#include <QWidget>

// The progress bar: a position from 0 to 100 and a text drawn on the bar.
// Both take every change at once and answer the latest value, while the bar
// is redrawn at a steady frame rate, not once per change.
class ProgressBar : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    double Value() const { return m_value; }
    void SetValue(double value);
    const QString& Text() const { return m_text; }
    void SetText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void scheduleRepaint();

    double m_value = 0;
    QString m_text;
    QTimer m_frame;
};
