#include "gui/Accessible.h"

#include "gui/ProgressBar.h"

#include <QAccessibleWidget>

namespace {

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
    // Qt asks with the name of a class the object is of.
    if (className == QLatin1String("ProgressBar"))
        return new ProgressBarAccessible(static_cast<ProgressBar*>(object));
    if (className == QLatin1String("Form1"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibleInterfaces()
{
    QAccessible::installFactory(accessibleFor); // Qt keeps a factory once
}
