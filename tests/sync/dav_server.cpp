// SPDX-License-Identifier: GPL-3.0-or-later
#include "dav_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>

#include <csignal>
#include <sys/prctl.h>

namespace vcq::synctest
{

namespace
{

constexpr int kStartMs = 30000;

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

DavServer::DavServer(Kind kind, const QString &folder) : m_kind(kind), m_folder(folder)
{
    QDir().mkpath(m_folder);
}

DavServer::~DavServer()
{
    stop();
}

QUrl DavServer::baseUrl() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(m_tls ? "https" : "http").arg(m_port));
}

QUrl DavServer::collectionUrl() const
{
    return baseUrl().resolved(QUrl(m_kind == Kind::Radicale
                                       ? QStringLiteral("/alice/contacts/")
                                       : QStringLiteral("/user/contacts/addressbook/")));
}

bool DavServer::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

bool DavServer::start()
{
    stop();
    const bool first = m_port == 0;
    m_process = newProcess();
    QStringList args;
    if (m_kind == Kind::Radicale) {
        QFile users(m_folder + "/users");
        if (!users.open(QIODevice::WriteOnly))
            return false;
        users.write((user() + ":" + password() + "\n").toUtf8());
        users.close();
        QFile rights(m_folder + "/rights");
        if (!rights.open(QIODevice::WriteOnly))
            return false;
        rights.write("[principal]\nuser: .+\ncollection: {user}\npermissions: R\n"
                     "[books]\nuser: .+\ncollection: {user}/[^/]+\npermissions: r\n"
                     "[root]\nuser: .+\ncollection:\npermissions: R\n");
        rights.close();
        args << "--config"
             << ""
             << "--server-hosts" << QStringLiteral("127.0.0.1:%1").arg(m_port) << "--auth-type"
             << "htpasswd"
             << "--auth-htpasswd-filename" << m_folder + "/users"
             << "--auth-htpasswd-encryption"
             << "plain"
             << "--auth-delay"
             << "0"
             << "--rights-type" << (m_readOnly ? "from_file" : "owner_only") << "--rights-file"
             << m_folder + "/rights"
             << "--storage-filesystem-folder" << m_folder + "/collections"
             << "--logging-level"
             << "info";
        if (m_tls) {
            if (!QFile::exists(certificatePath())) {
                QProcess openssl;
                openssl.start("openssl",
                              {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                               m_folder + "/key.pem", "-out", certificatePath(), "-days", "2",
                               "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
                if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
                    m_error = "openssl: " + QString::fromUtf8(openssl.readAllStandardError());
                    return false;
                }
            }
            args << "--ssl"
                 << "--certificate" << certificatePath() << "--key" << m_folder + "/key.pem";
        }
        m_process->start("radicale", args);
        QByteArray line;
        if (!waitForLine("Listening on", &line)) {
            m_error = "radicale did not start: " + QString::fromUtf8(m_log.right(2000));
            return false;
        }
        const QRegularExpression port("\\]:(\\d+)'");
        const auto match = port.match(QString::fromUtf8(line).trimmed());
        if (!match.hasMatch()) {
            m_error = "no port in: " + QString::fromUtf8(line);
            return false;
        }
        m_port = match.captured(1).toInt();
        if (!waitForLine("server ready", nullptr)) {
            m_error = "radicale not ready: " + QString::fromUtf8(m_log.right(2000));
            return false;
        }
        if (first) {
            const Curl made =
                curl({"-X", "MKCOL", "-H", "Content-Type: application/xml", "--data-binary", "@-",
                      collectionUrl().toString()},
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                     "<mkcol xmlns=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\"><set><prop>"
                     "<resourcetype><collection/><CR:addressbook/></resourcetype>"
                     "<displayname>Contacts</displayname></prop></set></mkcol>");
            if (made.status != 201) {
                m_error = QStringLiteral("MKCOL answered %1: ").arg(made.status) +
                          QString::fromUtf8(made.body + made.errors);
                return false;
            }
        }
        return true;
    }

    // Xandikos does not say which port it took: we choose a free one.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (first || attempt > 0)
            m_port = freePort();
        args = QStringList{"-d", m_folder + "/root",     "--defaults", "-l", "127.0.0.1",
                           "-p", QString::number(m_port)};
        m_process->start("xandikos", args);
        if (waitForLine("Running on", nullptr))
            return true;
        stop();
        m_process = newProcess();
    }
    m_error = "xandikos did not start: " + QString::fromUtf8(m_log.right(2000));
    return false;
}

std::unique_ptr<QProcess> DavServer::newProcess() const
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setWorkingDirectory(m_folder);
    // The server ends with the test even when the test dies.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    return process;
}

void DavServer::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(10000);
        }
    }
    drain();
    m_process.reset();
}

bool DavServer::waitForLine(const QByteArray &marker, QByteArray *line)
{
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        drain();
        qsizetype at = m_pending.indexOf(marker);
        if (at >= 0) {
            const qsizetype start = m_pending.lastIndexOf('\n', at) + 1;
            qsizetype end = m_pending.indexOf('\n', at);
            if (end < 0)
                end = m_pending.size();
            if (line)
                *line = m_pending.mid(start, end - start);
            m_pending = m_pending.mid(end);
            return true;
        }
        if (m_process->state() == QProcess::NotRunning)
            return false;
        m_process->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
    return false;
}

void DavServer::drain()
{
    if (!m_process)
        return;
    const QByteArray more = m_process->readAll();
    m_log += more;
    m_pending += more;
}

int DavServer::loggedRequests(const QString &method)
{
    drain();
    const QString log = QString::fromUtf8(m_log);
    const QString pattern = m_kind == Kind::Radicale
                                ? QStringLiteral("\\] %1 request for ").arg(method)
                                : QStringLiteral("aiohttp.access:.*\"%1 ").arg(method);
    return int(log.count(QRegularExpression(pattern)));
}

int DavServer::loggedRequests()
{
    return loggedRequests(QStringLiteral("[A-Z]+"));
}

int DavServer::settledRequests()
{
    // A request sent now is logged after every request answered before it:
    // once its line is in, theirs are.
    const QString mark = QStringLiteral("settle-%1.vcf").arg(++m_settleMarks);
    curl({baseUrl().resolved(QUrl(mark)).toString()});
    if (!waitForLine(mark.toUtf8(), nullptr))
        return -1;
    return loggedRequests() - m_settleMarks;
}

DavServer::Curl DavServer::curl(const QStringList &args, const QByteArray &input)
{
    Curl out;
    QProcess p;
    QStringList all{
        "-s", "-S", "-o", "-", "-D", m_folder + "/curl-headers", "-w", "\n%{http_code}"};
    if (m_kind == Kind::Radicale)
        all << "-u" << user() + ":" + password();
    if (m_tls)
        all << "--cacert" << certificatePath();
    all << args;
    p.start("curl", all);
    if (!p.waitForStarted(10000))
        return out;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        return out;
    out.errors = p.readAllStandardError();
    QByteArray body = p.readAllStandardOutput();
    const qsizetype cut = body.lastIndexOf('\n');
    out.status = body.mid(cut + 1).trimmed().toInt();
    out.body = body.left(cut);
    QFile headers(m_folder + "/curl-headers");
    if (headers.open(QIODevice::ReadOnly))
        out.headers = headers.readAll();
    return out;
}

namespace
{
QByteArray headerValue(const QByteArray &headers, const QByteArray &name)
{
    for (const QByteArray &line : headers.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}
} // namespace

int DavServer::putCard(const QString &name, const QByteArray &card, QByteArray *etag,
                       const QByteArray &ifMatch)
{
    QStringList args{"-X", "PUT", "-H", "Content-Type: text/vcard; charset=utf-8", "--data-binary",
                     "@-"};
    if (!ifMatch.isEmpty())
        args << "-H"
             << "If-Match: " + QString::fromUtf8(ifMatch);
    args << collectionUrl().resolved(QUrl(name)).toString();
    const Curl c = curl(args, card);
    if (etag)
        *etag = headerValue(c.headers, "ETag");
    return c.status;
}

QByteArray DavServer::getCard(const QString &name, QByteArray *etag)
{
    const Curl c = curl({collectionUrl().resolved(QUrl(name)).toString()});
    if (etag)
        *etag = headerValue(c.headers, "ETag");
    return c.status == 200 ? c.body : QByteArray();
}

int DavServer::deleteCard(const QString &name)
{
    return curl({"-X", "DELETE", collectionUrl().resolved(QUrl(name)).toString()}).status;
}

QStringList DavServer::cardNames()
{
    const Curl c = curl({"-X", "PROPFIND", "-H", "Depth: 1", "-H", "Content-Type: application/xml",
                         "--data-binary", "@-", collectionUrl().toString()},
                        "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\"><d:prop>"
                        "<d:getetag/></d:prop></d:propfind>");
    QStringList names;
    const QRegularExpression href("<(?:[A-Za-z0-9]+:)?href>([^<]+)</(?:[A-Za-z0-9]+:)?href>");
    auto it = href.globalMatch(QString::fromUtf8(c.body));
    while (it.hasNext()) {
        const QString path = QUrl::fromPercentEncoding(it.next().captured(1).toUtf8());
        if (!path.endsWith('/'))
            names << path.section('/', -1);
    }
    names.sort();
    return names;
}

QByteArray phoneCard(const QString &uid, const QString &last, const QString &first,
                     const QStringList &extraLines)
{
    QStringList lines{"BEGIN:VCARD", "VERSION:3.0", "UID:" + uid, "N:" + last + ";" + first + ";;;",
                      "FN:" + first + " " + last};
    lines << extraLines << "END:VCARD";
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

} // namespace vcq::synctest
