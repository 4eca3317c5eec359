// SPDX-License-Identifier: GPL-3.0-or-later
// What the commands share around the data file: whether the program has it
// open, the password of a protected file (from a file or typed on the
// terminal without echo), the words for the store's errors, and a progress
// line on a terminal.
#pragma once

#include "command.h"
#include "store/contact_record.h"
#include "store/io_error.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QString>

#include <string>

namespace vcq::cli
{

// True when a running copy of the program holds the data file's lock.
bool lockedByAnotherCopy(const std::string &dataFilePath);

// The message for a failure of the data file: its name and the error.
QString storeErrorText(const CommandContext &context, const std::string &file,
                       const StoreError &error);

// --password-file FILE: where a protected data file's password is read from.
QCommandLineOption passwordFileOption(const CommandContext &context);

// Lets the command go on when the file is not protected, or when the
// password read from passwordFile (when not empty) or typed on the terminal
// opens it; otherwise says why on standard error and answers false.
bool accessGranted(const CommandContext &context, const ContactRecord &header,
                   const QString &passwordFile);

// A line on standard error that rewrites itself, a few times a second at
// most; nothing at all when standard error is not a terminal.
class ProgressLine
{
public:
    explicit ProgressLine(const CommandContext &context);
    ~ProgressLine();
    void show(const QString &text);
    // Leaves the line: the next output starts on a line of its own.
    void end();

private:
    const CommandContext &m_context;
    bool m_enabled = false;
    bool m_shown = false;
    QElapsedTimer m_since;
};

// True when the command was given no file or word; otherwise says which one is too many.
bool noArguments(const QCommandLineParser &parser, const CommandContext &context);

// Writes a command's whole output to standard output; false, with a message, when it cannot.
bool writeOut(const CommandContext &context, const std::string &bytes);

// Replaces control characters, which a file could use to drive the terminal.
QString terminalSafe(const QString &text);

// Reads one line from the controlling terminal with echo off, after the
// prompt; false when there is no terminal.
bool readHiddenLine(const QString &prompt, std::string &line);

} // namespace vcq::cli
