// quorvane-check files every line of its input as the window would: its plain
// lists equal the import reader's items filed by CheckUPCCode, whether the
// input can be read again (a file) or not (a pipe), ASCII or not; its padded
// lists equal the text export's table of those lists.
#include "cli/Checker.h"
#include "core/text/TextFileReader.h"
#include "core/upc/UpcCheck.h"
#include "support/TextTableReference.h"

#include <QByteArray>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

int memoryFile(const uint8_t* data, size_t size)
{
    const int fd = ::memfd_create("codes", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != ssize_t(size) || ::lseek(fd, 0, SEEK_SET) != 0)
        std::abort();
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16384)
        return 0; // fits a pipe
    static QTemporaryDir dir;
    const QString valid = dir.filePath("valid.txt"), invalid = dir.filePath("invalid.txt");

    // What the window files the lines into.
    QByteArray wantValid, wantInvalid;
    TextTable::Table validTable{{" Valid Codes"}, {}}, invalidTable{{"Invalid Codes"}, {}};
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    size_t at = 0;
    TextFileReader::readItems(
        {[&](char* to, qsizetype room) -> qsizetype {
             const size_t n = std::min(size - at, size_t(room));
             std::memcpy(to, data + at, n);
             at += n;
             return qsizetype(n);
         },
         [&](qint64 offset) { at = size_t(offset); }},
        [&](QString&& code) {
            const bool ok = modUPCCode::CheckUPCCode(code) == modUPCCode::Verdict::Valid;
            (ok ? validTable : invalidTable).rows.push_back({{code}, true});
            QByteArray& list = ok ? wantValid : wantInvalid;
            list += encoder.encode(code);
            list += '\n';
        },
        4096);

    // Plain lists from a file and from a pipe; each padded list on standard
    // output (a file would be synced to disk on every run).
    QStringEncoder file(QStringConverter::System);
    const QByteArray padded[2] = {file.encode(TextTable::fileText(validTable)),
                                  file.encode(TextTable::fileText(invalidTable))};
    for (int round = 0; round < 4; ++round) {
        const bool pipe = round == 1;
        int in;
        if (pipe) {
            int ends[2];
            if (::pipe(ends) != 0 || ::write(ends[1], data, size) != ssize_t(size))
                std::abort();
            ::close(ends[1]);
            in = ends[0];
        } else {
            in = memoryFile(data, size);
        }
        const int out = memoryFile(nullptr, 0), err = memoryFile(nullptr, 0);
        const QStringList arguments =
            round == 2   ? QStringList{"--valid", "-", "-"}
            : round == 3 ? QStringList{"--invalid", "-", "-"}
                         : QStringList{"--plain", "--valid", valid, "--invalid", invalid, "-"};
        const int status = Checker::run(arguments, in, out, err);
        QByteArray written(qsizetype(::lseek(out, 0, SEEK_END)), '\0');
        if (::pread(out, written.data(), size_t(written.size()), 0) != written.size())
            std::abort();
        ::close(in);
        ::close(out);
        ::close(err);
        if (status != (wantInvalid.isEmpty() ? 0 : 1))
            std::abort();
        if (round >= 2) {
            if (written != padded[round - 2])
                std::abort();
        } else if (readAll(valid) != wantValid || readAll(invalid) != wantInvalid) {
            std::abort();
        }
    }
    return 0;
}
