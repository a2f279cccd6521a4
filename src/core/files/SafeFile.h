#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>

class QSaveFile;

// A file being written that keeps what its target held until it is complete.
//
// A regular file (or none yet) is written beside its target under a temporary
// name and put in the target's place by commit, in one step; a file let go
// without commit, or whose writing failed, leaves the target untouched and no
// temporary file behind. Only an existing regular file the user may write in
// a folder they may not write in is written in place (no file can be made
// beside it): it is opened without waiting, checked again once open, and
// emptied at the first write or at commit.
//
// A target that is no regular file (a pipe, a device) is refused with "Not a
// regular file", or, where the rules allow it, written straight, since
// nothing can be lost there; `-` may name standard output. A file-size limit
// gives the write error "File too large" (SIGXFSZ is ignored).
class SafeFile
{
public:
    // What is done with a target that is no regular file.
    enum class Others
    {
        Refuse,
        WriteStraight,
    };
    // What is done with an existing regular file.
    enum class Existing
    {
        Keep,                  // refused with "File already exists"
        ReplaceUnlessReadOnly, // one no one may write is refused: "Permission denied"
        Replace,
    };
    // Makes the file that holds a replacement before it takes its target's
    // place; tests put a failing one in.
    using SaveFileMaker = std::function<std::unique_ptr<QSaveFile>(const QString& path)>;

    struct Rules
    {
        Existing existing = Existing::ReplaceUnlessReadOnly;
        Others others = Others::Refuse;
        SaveFileMaker maker; // none: the plain one
        // Whether a file that cannot be replaced (its folder may not be
        // written) is written in place; never with a maker of one's own.
        bool inPlaceAllowed = true;
        int standardOutput = -1; // with WriteStraight, the descriptor `-` names
        // Asked when a signal cuts a wait for a pipe or device short: true ends
        // the open or write with the failure "Interrupted system call".
        std::function<bool()> interrupted;
    };

    // Opens the file for `path`, touching nothing at the target yet. Throws
    // Failure with the reason.
    static std::unique_ptr<SafeFile> open(const QString& path, const Rules& rules);

    ~SafeFile();

    // Writes all the bytes or throws Failure; the file is then broken and
    // every later call fails alike.
    void write(QByteArrayView bytes);
    // Puts the file in the target's place (or closes one written in place or
    // straight). Throws Failure when that fails; the target then keeps what
    // it held.
    void commit();
    // Throws the failure that broke the file, or "Bad file name or number"
    // once it is committed.
    void check() const;

private:
    SafeFile(std::unique_ptr<QSaveFile> save, int fd, bool owned, bool inPlace,
             std::function<bool()> interrupted);

    void emptyInPlace();
    [[noreturn]] void fail(const QString& description);

    std::unique_ptr<QSaveFile> m_save; // a replacement's; the others write to m_fd
    int m_fd = -1;
    bool m_owned = false;
    bool m_toEmpty = false; // written in place and not emptied yet
    bool m_done = false;
    qint64 m_written = 0;  // by a replacement
    qint64 m_flushing = 0; // of those, the bytes sent to the disk already
    QString m_failure;
    std::function<bool()> m_interrupted;
};
