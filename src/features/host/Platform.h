#pragma once

#include <QString>
#include <optional>

// Interfaces over the platform pieces the program touches; tests script them.

struct FileDialogRequest
{
    QString fileName;
    qint32 flags = 0;
    QString title;
    // Pairs of description and pattern, each closed by "|":
    // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|".
    QString filter;
};

namespace FileDialogFlags {
inline constexpr qint32 ReadOnly = 0x1;
inline constexpr qint32 OverwritePrompt = 0x2;
inline constexpr qint32 AllowMultiSelect = 0x200;
inline constexpr qint32 Explorer = 0x80000;
inline constexpr qint32 LongNames = 0x200000;
} // namespace FileDialogFlags

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The chosen file's full path; with several files chosen, the folder and
    // then each file name, separated by NUL characters; "" when cancelled.
    virtual QString showOpen(const FileDialogRequest& request) = 0;
    // The chosen file's full path, or "" when cancelled.
    virtual QString showSave(const FileDialogRequest& request) = 0;
};

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    // Each answers false (or nothing) when the clipboard could not be had.
    virtual bool clear() = 0;
    virtual bool setText(const QString& text) = 0;
    virtual std::optional<QString> text() = 0;
};

class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    // Hands a web address to the desktop. Throws Failure when it cannot.
    virtual void openUrl(const QString& url) = 0;
};

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void seed(double seed) = 0;
    // The next number in [0, 1).
    virtual double next() = 0;
};
