#include "features/spreadsheet/RecordingSpreadsheet.h"

#include "core/base/Failure.h"

#include <QCoreApplication>
#include <QEvent>
#include <QRegularExpression>

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Logs "DoEvents" each time the window processes its pending events: it
// posts itself an event, and an event posted while events are processed
// waits for the next time.
class YieldProbe : public QObject
{
public:
    explicit YieldProbe(RecordingSpreadsheet& recorder) : m_recorder(recorder) { post(); }

    bool event(QEvent* e) override
    {
        if (e->type() != Type)
            return QObject::event(e);
        m_recorder.call(QStringLiteral("DoEvents"));
        post();
        return true;
    }

private:
    static constexpr QEvent::Type Type = QEvent::Type(QEvent::User + 523);
    void post() { QCoreApplication::postEvent(this, new QEvent(Type)); }

    RecordingSpreadsheet& m_recorder;
};

class Cell : public Spreadsheet::Cell
{
public:
    Cell(RecordingSpreadsheet& r, int workbook, QString path, int row, int column)
        : m_r(r), m_workbook(workbook), m_path(std::move(path)), m_at(row, column)
    {}

    void SetNumberFormat(const QString& format) override
    {
        m_r.call(m_path + QStringLiteral(".numberformat = ") + quoted(format));
        state().numberFormat = format;
    }
    void SetValue(const QString& text) override
    {
        m_r.call(m_path + QStringLiteral(".Value = ") + quoted(text));
        state().value = text;
        state().setBy = QStringLiteral("Value");
    }
    void SetDefault(const QString& text) override
    {
        m_r.call(m_path + QStringLiteral(" = ") + quoted(text));
        state().value = text;
        state().setBy = QStringLiteral("default");
    }

private:
    RecordingSpreadsheet::Cell& state() { return m_r.workbooks.at(m_workbook).cells[m_at]; }

    RecordingSpreadsheet& m_r;
    int m_workbook;
    QString m_path;
    std::pair<int, int> m_at;
};

class Columns : public Spreadsheet::Columns
{
public:
    // `column` 0: all columns.
    Columns(RecordingSpreadsheet& r, int workbook, QString path, int column)
        : m_r(r), m_workbook(workbook), m_path(std::move(path)), m_column(column)
    {}

    void Autofit() override
    {
        m_r.call(m_path + QStringLiteral(".Autofit"));
        if (m_column == 0)
            ++m_r.workbooks.at(m_workbook).autofitAll;
        else
            m_r.workbooks.at(m_workbook).autofitColumns.insert(m_column);
    }

private:
    RecordingSpreadsheet& m_r;
    int m_workbook;
    QString m_path;
    int m_column;
};

class Sheet : public Spreadsheet::Sheet
{
public:
    Sheet(RecordingSpreadsheet& r, int workbook, QString path)
        : m_r(r), m_workbook(workbook), m_path(std::move(path))
    {}

    std::unique_ptr<Spreadsheet::Cell> cells(int row, int column) override
    {
        const QString path = m_path + QStringLiteral(".cells(%1,%2)").arg(row).arg(column);
        m_r.call(path);
        return std::make_unique<Cell>(m_r, m_workbook, path, row, column);
    }
    std::unique_ptr<Spreadsheet::Columns> Columns(int column) override
    {
        const QString path = m_path + QStringLiteral(".Columns(%1)").arg(column);
        m_r.call(path);
        return std::make_unique<::Columns>(m_r, m_workbook, path, column);
    }
    std::unique_ptr<Spreadsheet::Columns> Columns() override
    {
        const QString path = m_path + QStringLiteral(".Columns");
        m_r.call(path);
        return std::make_unique<::Columns>(m_r, m_workbook, path, 0);
    }

private:
    RecordingSpreadsheet& m_r;
    int m_workbook;
    QString m_path;
};

class Workbook : public Spreadsheet::Workbook
{
public:
    Workbook(RecordingSpreadsheet& r, int index)
        : m_r(r), m_index(index), m_name(QStringLiteral("Workbook%1").arg(index + 1))
    {}
    ~Workbook() override
    {
        m_r.log.append(QStringLiteral("release ") + m_name);
        m_r.workbooks.at(m_index).released = true;
    }

    std::unique_ptr<Spreadsheet::Sheet> ActiveSheet() override
    {
        const QString path = m_name + QStringLiteral(".ActiveSheet");
        m_r.call(path);
        return std::make_unique<Sheet>(m_r, m_index, path);
    }

private:
    RecordingSpreadsheet& m_r;
    int m_index;
    QString m_name;
};

class Workbooks : public Spreadsheet::Workbooks
{
public:
    Workbooks(RecordingSpreadsheet& r, QString path) : m_r(r), m_path(std::move(path)) {}

    std::unique_ptr<Spreadsheet::Workbook> Add() override
    {
        m_r.call(m_path + QStringLiteral(".Add"));
        m_r.workbooks.emplace_back();
        return std::make_unique<Workbook>(m_r, int(m_r.workbooks.size()) - 1);
    }

private:
    RecordingSpreadsheet& m_r;
    QString m_path;
};

class Application : public Spreadsheet::Application
{
public:
    Application(RecordingSpreadsheet& r, int index)
        : m_r(r), m_index(index), m_name(QStringLiteral("Application%1").arg(index + 1))
    {}
    ~Application() override
    {
        m_r.log.append(QStringLiteral("release ") + m_name);
        m_r.applications.at(m_index).released = true;
    }

    std::unique_ptr<Spreadsheet::Workbooks> Workbooks() override
    {
        const QString path = m_name + QStringLiteral(".Workbooks");
        m_r.call(path);
        return std::make_unique<::Workbooks>(m_r, path);
    }
    void SetVisible(bool visible) override
    {
        m_r.call(m_name + QStringLiteral(".Visible = ") +
                 (visible ? QStringLiteral("true") : QStringLiteral("false")));
        m_r.applications.at(m_index).visible = visible;
    }

private:
    RecordingSpreadsheet& m_r;
    int m_index;
    QString m_name;
};

} // namespace

RecordingSpreadsheet::RecordingSpreadsheet() = default;
RecordingSpreadsheet::~RecordingSpreadsheet() = default;

std::unique_ptr<Spreadsheet::Application> RecordingSpreadsheet::createApplication()
{
    log.append(QStringLiteral("createApplication"));
    if (onCall)
        onCall(log.last());
    if (creationsThatSucceed >= 0 && int(applications.size()) >= creationsThatSucceed)
        throw Failure(creationFailure);
    applications.emplace_back();
    return std::make_unique<::Application>(*this, int(applications.size()) - 1);
}

void RecordingSpreadsheet::call(const QString& line)
{
    log.append(line);
    if (onCall)
        onCall(line);
    if (failingCalls.contains(line))
        throw Failure(callFailure);
}

void RecordingSpreadsheet::logYields(bool on)
{
    if (on)
        m_yields = std::make_unique<YieldProbe>(*this);
    else
        m_yields.reset();
}

QStringList RecordingSpreadsheet::effects() const
{
    static const QRegularExpression reachOnly(
        QStringLiteral(R"(\.(Workbooks|ActiveSheet|Columns|Columns\(\d+\)|cells\(\d+,\d+\))$)"));
    QStringList lines;
    for (const QString& line : log)
        if (line.contains(QStringLiteral(" = ")) || !reachOnly.match(line).hasMatch())
            lines.append(line);
    return lines;
}
