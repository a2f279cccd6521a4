#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

// The text of a list item as the list holds it: Latin-1 bytes, one a
// character, or UTF-16 units. Either way it is the same text; only how it is
// held differs. A view: it owns nothing.
class HeldText
{
public:
    constexpr HeldText() = default;
    constexpr HeldText(QLatin1StringView text)
        : m_data(text.data()), m_size(text.size()), m_utf16(false)
    {}
    constexpr HeldText(QStringView text) : m_data(text.utf16()), m_size(text.size()), m_utf16(true)
    {}
    HeldText(const QString& text) : HeldText(QStringView(text)) {}

    // The number of characters (UTF-16 units, for a text held so).
    constexpr qsizetype size() const { return m_size; }
    constexpr bool isEmpty() const { return m_size == 0; }
    constexpr bool isLatin1() const { return !m_utf16; }
    // The text as it is held: only the one that isLatin1 names.
    QLatin1StringView latin1() const
    {
        return QLatin1StringView(static_cast<const char*>(m_data), m_size);
    }
    QStringView utf16() const { return QStringView(static_cast<const char16_t*>(m_data), m_size); }

    // Calls `f` with the view the text is held as.
    template <typename F> decltype(auto) visit(F&& f) const
    {
        return m_utf16 ? f(utf16()) : f(latin1());
    }

    QString toString() const { return m_utf16 ? utf16().toString() : QString(latin1()); }
    // Appends the text to `to`, widened when it is Latin-1.
    void appendTo(QString& to) const
    {
        visit([&to](auto view) { to.append(view); });
    }

private:
    const void* m_data = nullptr;
    qsizetype m_size = 0;
    bool m_utf16 = false;
};
