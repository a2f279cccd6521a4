#include "gui/ProgressBar.h"

#include "core/base/Failure.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionProgressBar>
#include <cmath>

namespace {
constexpr int FrameMilliseconds = 40;
// The most characters of the text the bar draws; a longer text (a code of
// millions of characters) would take many seconds to lay out at each frame.
constexpr qsizetype MostCharactersDrawn = 1024;

// What a screen reader is told of the bar (Qt knows nothing of a plain widget):
// a progress bar with its value, and its text as its name.
class ProgressBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ProgressBarAccessible(ProgressBar* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && bar()->accessibleName().isEmpty())
            return bar()->Text();
        if (t == QAccessible::Value)
            return QString::number(bar()->Value(), 'f', 0) + QLatin1Char('%');
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return bar()->Value(); }
    void setCurrentValue(const QVariant&) override {} // shown, not set, by the user
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    ProgressBar* bar() const { return static_cast<ProgressBar*>(widget()); }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object)
{
    if (className == QLatin1String("ProgressBar"))
        return new ProgressBarAccessible(static_cast<ProgressBar*>(object));
    return nullptr;
}

} // namespace

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent)
{
    QAccessible::installFactory(accessibleFor); // Qt keeps a factory once
    m_frame.setSingleShot(true);
    m_frame.setInterval(FrameMilliseconds);
    connect(&m_frame, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void ProgressBar::SetValue(double value)
{
    if (!std::isfinite(value) || value < 0 || value > 100)
        throw Failure(QStringLiteral("Invalid property value"));
    if (value == m_value)
        return;
    m_value = value;
    scheduleRepaint();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, m_value);
        QAccessible::updateAccessibility(&event);
    }
}

void ProgressBar::SetText(const QString& text)
{
    if (text == m_text)
        return;
    // Copied into the bar's own text, so that a caller that sets a new text
    // for every code it reports need not make a new one each time.
    m_text.resize(0);
    m_text.append(text);
    scheduleRepaint();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void ProgressBar::scheduleRepaint()
{
    if (!m_frame.isActive())
        m_frame.start();
}

void ProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionProgressBar option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.minimum = 0;
    option.maximum = 1000;
    option.progress = int(std::lround(m_value * 10));
    option.text = m_text.size() > MostCharactersDrawn ? m_text.first(MostCharactersDrawn) : m_text;
    option.textVisible = true;
    option.textAlignment = Qt::AlignCenter;
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
}
