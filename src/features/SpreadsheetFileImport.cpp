#include "features/SpreadsheetFileImport.h"

#include "core/base/Failure.h"
#include "core/files/WorkFolder.h"
#include "core/files/ZipMembers.h"
#include "core/text/CodeColumn.h"
#include "core/text/DelimitedText.h"
#include "features/Main.h"
#include "features/host/ColumnChooser.h"
#include "features/host/Host.h"
#include "features/host/Platform.h"
#include "features/host/Prompts.h"
#include "features/host/SpreadsheetReader.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <future>
#include <optional>
#include <utility>

namespace {

// The cells appended together.
constexpr qsizetype BatchCells = 4096;

void tell(Host& host, const QString& text)
{
    host.prompts().messageBox(text, Main::ApplicationTitle());
}

const QString SaveAsCsv =
    QStringLiteral("Save the sheet with the codes as a CSV file and load that file instead.");

// Whole MiB, rounded up.
quint64 mebibytes(quint64 bytes)
{
    return bytes / (1 << 20) + (bytes % (1 << 20) != 0);
}

class Import
{
public:
    Import(Host& host, const QString& path, const SpreadsheetFileImport::DocumentLimits& document)
        : m_host(host), m_path(path), m_document(document)
    {}

    void run(const TextFileImport::Limits& limits)
    {
        DelimitedText::Options options;
        // The spreadsheet application reads documents.
        static const QStringList documents = {QStringLiteral("xlsx"), QStringLiteral("ods")};
        if (documents.contains(QFileInfo(m_path).suffix(), Qt::CaseInsensitive)) {
            if (!convert(limits.yieldIntervalNanoseconds))
                return;
            options.separator = QLatin1Char(',');
        } else {
            m_text = m_path;
            options.separator = DelimitedText::separatorForName(m_path);
        }
        options.longestField = limits.longestLine;
        QStringList cells;
        const auto flush = [&] {
            m_host.codeList().appendMany(cells);
            cells.clear();
        };
        const TextFileReader::Reading reading =
            TextFileImport::importReading(m_host, limits, flush);
        options.chunkBytes = reading.chunkBytes;
        options.betweenPieces = reading.betweenPieces;
        const std::optional<ColumnChoice> choice = chosenColumn(options);
        if (!choice)
            return;

        bool skipHeader = choice->header;
        const auto record = [&](const QStringList& fields, quint64) {
            const qsizetype c = choice->column;
            if (std::exchange(skipHeader, false) || c >= fields.size() || fields.at(c).isEmpty())
                return;
            cells.append(fields.at(c));
            if (cells.size() >= BatchCells)
                flush();
        };
        options.keptFields = choice->column + 1;
        whileBusy([&] { DelimitedText::readRecords(m_text, options, record); }, flush);
    }

private:
    QString name() const { return QFileInfo(m_path).fileName(); }

    void cannotRead(const QString& why)
    {
        tell(m_host, QStringLiteral("%1 cannot be read: %2").arg(name(), why));
    }

    // Runs `read` under the busy pointer, then `after`; a failure of `read`
    // is told once the pointer is back.
    template <typename Read, typename After> bool whileBusy(Read&& read, After&& after)
    {
        m_host.SetMousePointer(PointerMode::Hourglass);
        std::optional<QString> failure;
        try {
            read();
        } catch (const Failure& f) {
            failure = f.description();
        }
        after();
        m_host.SetMousePointer(PointerMode::Default);
        if (failure)
            cannotRead(*failure);
        return !failure;
    }

    // The document's first sheet as a CSV file of a temporary folder.
    bool convert(qint64 yieldInterval)
    {
        SpreadsheetReader* reader = m_host.services().spreadsheetReader;
        if (!reader || !m_folder.isValid()) {
            cannotRead(reader ? m_folder.errorString()
                              : QStringLiteral("reading .xlsx and .ods files needs LibreOffice "
                                               "Calc, which is not installed."));
            return false;
        }
        // A zip bomb is refused before the application would spend minutes on it.
        const quint64 bound = m_document.unpackedBytes;
        if (const auto size = ZipMembers::unpackedSize(m_path); size && *size > bound) {
            cannotRead(QStringLiteral("it would unpack to %1 MB, more than the %2 MB allowed. ")
                           .arg(mebibytes(*size))
                           .arg(mebibytes(bound)) +
                       SaveAsCsv);
            return false;
        }
        m_text = m_folder.filePath(QStringLiteral("sheet.csv"));
        return whileBusy([&] { readAside(*reader, yieldInterval); }, [] {});
    }

    // The reading on a thread of its own while the window takes a turn each
    // yield interval (the wait paces it); past the time allowed, the reader
    // is stopped.
    void readAside(SpreadsheetReader& reader, qint64 yieldInterval)
    {
        auto reading =
            std::async(std::launch::async, [&] { reader.saveFirstSheetAsCsv(m_path, m_text); });
        const std::chrono::nanoseconds pace(std::max<qint64>(yieldInterval, 100000));
        const QDeadlineTimer deadline(m_document.milliseconds);
        bool stopped = false;
        while (reading.wait_for(pace) != std::future_status::ready) {
            if (!stopped && deadline.hasExpired()) {
                reader.stopReading();
                stopped = true;
            }
            m_host.DoEventsHoldingActions();
        }
        try {
            reading.get();
        } catch (const Failure&) {
            if (!stopped)
                throw;
            throw Failure(QStringLiteral("LibreOffice did not finish reading it within %1 "
                                         "seconds and was stopped. ")
                              .arg(m_document.milliseconds / 1000.0) +
                          SaveAsCsv);
        }
    }

    // The first rows, read as the import reads, show their first columns.
    std::optional<ColumnChoice> chosenColumn(DelimitedText::Options options)
    {
        options.keptFields = CodeColumn::PreviewColumns;
        std::vector<QStringList> rows;
        if (!whileBusy(
                [&] {
                    rows = DelimitedText::firstRecords(m_text, options, CodeColumn::PreviewRows);
                },
                [] {}))
            return std::nullopt;
        const std::optional<CodeColumn::Guess> guess = CodeColumn::guess(rows);
        if (!guess) {
            tell(m_host, QStringLiteral("No column of %1 holds codes.").arg(name()));
            return std::nullopt;
        }
        const ColumnChoice proposed{guess->column, guess->header};
        ColumnChooser* chooser = m_host.services().columnChooser;
        return chooser ? chooser->chooseColumn(name(), rows, proposed) : proposed;
    }

    Host& m_host;
    QString m_path;
    SpreadsheetFileImport::DocumentLimits m_document;
    QString m_text; // the delimited text read
    WorkFolder m_folder;
};

} // namespace

void SpreadsheetFileImport::loadCodesFromSpreadsheetFile(Host& host,
                                                         const TextFileImport::Limits& limits,
                                                         const DocumentLimits& document)
{
    if (host.isBusy())
        return;
    CommonDialog& dialog = host.spreadsheetFileDialog(host.codeList());
    dialog.Flags =
        FileDialogFlags::Explorer | FileDialogFlags::LongNames | FileDialogFlags::ReadOnly;
    dialog.DialogTitle = QStringLiteral("Load Codes From Spreadsheet File");
    dialog.Filter =
        QStringLiteral("Spreadsheet Files (*.csv;*.tsv;*.xlsx;*.ods)|*.csv;*.tsv;*.xlsx;*.ods|"
                       "All Files (*.*)|*.*|");
    dialog.ShowOpen();
    const QString path = dialog.FileName;
    if (path.isEmpty())
        return;
    if (!Main::FileExists(path)) {
        tell(host, QStringLiteral("File not found"));
        return;
    }
    Import(host, path, document).run(limits);
}
