// SPDX-License-Identifier: GPL-3.0-or-later
#include "process_run.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>

namespace vcq::test
{

namespace
{

ProcessRun finish(QProcess &p, const QByteArray &shown, int ms)
{
    ProcessRun r;
    if (!p.waitForFinished(ms) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exit = p.exitCode();
    r.out = QString::fromUtf8(shown + p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

ProcessRun runProcess(const QString &program, const QStringList &args,
                      const QProcessEnvironment &env, const QString &folder,
                      const QByteArray &input, int ms)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return {};
    p.write(input);
    p.closeWriteChannel();
    return finish(p, {}, ms);
}

ProcessRun runOnTerminal(const QString &program, const QStringList &args,
                         const QProcessEnvironment &env, const QString &folder,
                         const QByteArray &prompt, const QByteArray &typed, int ms)
{
    QStringList quoted;
    for (const QString &a : QStringList{program} + args)
        quoted << "'" + QString(a).replace("'", "'\\''") + "'";
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start("script", {"-q", "-e", "-c", quoted.join(' '), "/dev/null"});
    if (!p.waitForStarted(10000))
        return {};
    QByteArray shown;
    QDeadlineTimer deadline(ms);
    while (!shown.contains(prompt) && !deadline.hasExpired() && p.state() == QProcess::Running) {
        p.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        shown += p.readAllStandardOutput();
    }
    p.write(typed + "\n");
    return finish(p, shown, ms);
}

} // namespace vcq::test
