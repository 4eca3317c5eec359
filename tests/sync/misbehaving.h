// SPDX-License-Identifier: GPL-3.0-or-later
// The misbehaving server of the tests (misbehaving_server.py) started on two
// ports of 127.0.0.1, and what each port heard.
#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace vcq::synctest
{

struct Request {
    int port = 0;
    QString method;
    QString path;
    bool auth = false;
};

class Misbehaving
{
public:
    explicit Misbehaving(const QString &mode, const QStringList &cards = {})
    {
        m_process.setProgram("python3");
        m_process.setArguments(QStringList{VCQ_MISBEHAVING_SERVER, mode} + cards);
        m_process.start();
        const QDeadlineTimer deadline(10000);
        while (!m_log.contains('\n') && m_process.waitForReadyRead(deadline.remainingTime()))
            m_log += m_process.readAllStandardOutput();
        const QList<QByteArray> words = m_log.left(m_log.indexOf('\n')).split(' ');
        if (words.size() == 3 && words[0] == "PORTS") {
            home = words[1].toInt();
            other = words[2].toInt();
        }
        m_log = m_log.mid(m_log.indexOf('\n') + 1);
    }
    ~Misbehaving()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(home).arg(path);
    }
    // What reached the server since the last call; a request is logged
    // before it is answered, so all of those answered are there.
    QList<Request> requests()
    {
        while (m_process.waitForReadyRead(50))
            m_log += m_process.readAllStandardOutput();
        m_log += m_process.readAllStandardOutput();
        QList<Request> out;
        for (const QByteArray &line : m_log.split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() == 5 && w[0] == "REQ")
                out.append({w[1].toInt(), w[2], QString::fromUtf8(w[3]), w[4] == "1"});
        }
        m_log.clear();
        return out;
    }

    int home = 0;
    int other = 0;

private:
    QProcess m_process;
    QByteArray m_log;
};

inline int count(const QList<Request> &requests, int port, const QString &method = {},
                 const QString &pathPart = {})
{
    return int(std::count_if(requests.begin(), requests.end(), [&](const Request &r) {
        return r.port == port && (method.isEmpty() || r.method == method) &&
               r.path.contains(pathPart);
    }));
}

} // namespace vcq::synctest
