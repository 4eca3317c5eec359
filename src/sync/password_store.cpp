// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_store.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace vcq::sync
{

namespace
{

const QString kService = QStringLiteral("vellora-carnetique-97");

// Runs a job to its end or the time limit; false on timeout.
bool runJob(QKeychain::Job &job, int timeoutMs)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job.start();
    if (!finished)
        loop.exec();
    return finished;
}

} // namespace

PasswordLookup readStoredPassword(const QString &key, int timeoutMs)
{
    PasswordLookup out;
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    job.setInsecureFallback(false);
    if (!runJob(job, timeoutMs)) {
        out.error = {SyncErrc::NoPassword, 0, QStringLiteral("timeout"), {}};
        return out;
    }
    if (job.error() == QKeychain::NoError) {
        out.password = job.textData();
        return out;
    }
    out.error = {SyncErrc::NoPassword, 0, job.errorString(), {}};
    return out;
}

SyncError storePassword(const QString &key, const QString &password, int timeoutMs)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setInsecureFallback(false);
    job.setTextData(password);
    if (!runJob(job, timeoutMs))
        return {SyncErrc::Keychain, 0, QStringLiteral("timeout"), {}};
    if (job.error() != QKeychain::NoError)
        return {SyncErrc::Keychain, 0, job.errorString(), {}};
    return {};
}

PasswordLookup readPasswordFile(const QString &path)
{
    PasswordLookup out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = {SyncErrc::NoPassword, 0, path + QStringLiteral(": ") + file.errorString(), {}};
        return out;
    }
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    out.password = QString::fromUtf8(line);
    return out;
}

} // namespace vcq::sync
