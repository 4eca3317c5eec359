// SPDX-License-Identifier: GPL-3.0-or-later
// A command of the command line ("import", "export", ...): its name, its
// one-line summary in both languages, and the function that runs it. The
// commands the program knows are listed in commands.cpp.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vcq::cli
{

// What a command answers to the shell.
enum ExitStatus : int {
    ExitSuccess = 0,
    ExitRemarks = 1, // done, and the report lists something the user should know
    ExitFailure = 2,
};

// What every command works with.
struct CommandContext {
    bool french = false;                    // the user's language
    std::string dataFilePath = "VCQ97.NAM"; // in the current folder
    std::FILE *out = stdout;
    std::FILE *err = stderr;

    // The text in the user's language.
    QString text(const char *english, const char *french) const;
    // Writes a line (a newline is added) to standard output or error.
    void print(const QString &line) const;
    void error(const QString &line) const;
};

struct Command {
    QString name;
    QString summaryEnglish;
    QString summaryFrench;
    // arguments: the program name, then what follows the command's name, as
    // QCommandLineParser::process expects them. Returns an ExitStatus.
    std::function<int(const QStringList &arguments, CommandContext &context)> run;
};

// A command's --help: its usage line names the program and the command.
QString commandHelp(const QCommandLineParser &parser, const QStringList &arguments);

// Parses a command's arguments. Returns the exit status when the command ends
// here (a mistake reported, or its --help printed), nothing when it goes on.
std::optional<int> parseCommand(QCommandLineParser &parser, const QCommandLineOption &help,
                                const QStringList &arguments, CommandContext &context);

// Every command of the program, in the order --help lists them.
std::vector<Command> commands();

} // namespace vcq::cli
