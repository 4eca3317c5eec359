// SPDX-License-Identifier: GPL-3.0-or-later
// Running a program to its end from a test: with its input given, or on a
// terminal of its own (script(1)) where a test types at its prompt.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vcq::test
{

// A program run to its end: exit status (-1 when it did not start, crashed
// or ran out of time) and what it wrote.
struct ProcessRun {
    int exit = -1;
    QString out;
    QString err;
};

// Runs `program` in `folder` with `env`, feeding it `input`, for at most ms.
ProcessRun runProcess(const QString &program, const QStringList &args,
                      const QProcessEnvironment &env, const QString &folder,
                      const QByteArray &input = {}, int ms = 120000);

// Runs it on a terminal of its own and types `typed` and Enter once its
// output shows `prompt`. What the terminal shows is in `out`.
ProcessRun runOnTerminal(const QString &program, const QStringList &args,
                         const QProcessEnvironment &env, const QString &folder,
                         const QByteArray &prompt, const QByteArray &typed, int ms = 120000);

} // namespace vcq::test
