// SPDX-License-Identifier: GPL-3.0-or-later
// Real CardDAV servers for the tests, each in a scratch folder on 127.0.0.1:
// Radicale (checks a user name and password from a plain htpasswd file) and
// Xandikos (stricter about the protocol; no authentication). Stopped when the
// object goes. Also a second client, as a phone would be: cards written,
// read and deleted with curl.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace vcq::synctest
{

class DavServer
{
public:
    enum class Kind { Radicale, Xandikos };

    DavServer(Kind kind, const QString &folder);
    ~DavServer();
    DavServer(const DavServer &) = delete;
    DavServer &operator=(const DavServer &) = delete;

    // Starts the server with an empty address book, or again on the same
    // folder and port after stop(). False with error() set when it did not come up.
    bool start();
    void stop();
    bool isRunning() const;
    QString error() const { return m_error; }

    Kind kind() const { return m_kind; }
    QString name() const { return m_kind == Kind::Radicale ? "radicale" : "xandikos"; }
    QUrl baseUrl() const;       // http://127.0.0.1:PORT/
    QUrl collectionUrl() const; // the address book, ending with "/"
    QString user() const { return QStringLiteral("alice"); }
    QString password() const { return QStringLiteral("s3cret-pw"); }
    bool checksPasswords() const { return m_kind == Kind::Radicale; }
    // Radicale only, applied at the next start(): cards can be read but not
    // written or deleted (every write answered 403).
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Radicale only, before the first start(): HTTPS with a self-signed
    // certificate made for the test (certificatePath()).
    void setTls(bool tls) { m_tls = tls; }
    QString certificatePath() const { return m_folder + "/cert.pem"; }
    // Radicale only: where the address book keeps its cards, one file each
    // (for filling it quickly with cards a phone would have written).
    QString storageFolder() const
    {
        return m_folder + "/collections/collection-root/alice/contacts";
    }

    // Requests the server has logged since it started (drains its log).
    int loggedRequests();
    int loggedRequests(const QString &method);
    // The requests logged so far, once every request answered before the
    // call is in the log (a server may log a request just after answering
    // it); -1 when the log does not catch up.
    int settledRequests();

    // The other device. Names are file names in the address book.
    // Status of the PUT; etag receives the new ETag when given.
    int putCard(const QString &name, const QByteArray &card, QByteArray *etag = nullptr,
                const QByteArray &ifMatch = {});
    // The card's bytes, empty when absent.
    QByteArray getCard(const QString &name, QByteArray *etag = nullptr);
    int deleteCard(const QString &name);
    // File names of the cards in the address book, sorted.
    QStringList cardNames();
    QByteArray cardByHref(const QString &href) { return getCard(href.section('/', -1)); }

private:
    struct Curl {
        int status = 0;
        QByteArray body;
        QByteArray headers;
        QByteArray errors; // curl's own complaints
    };
    Curl curl(const QStringList &args, const QByteArray &input = {});
    bool waitForLine(const QByteArray &marker, QByteArray *line);
    std::unique_ptr<QProcess> newProcess() const;
    void drain();

    Kind m_kind;
    int m_settleMarks = 0; // requests sent by settledRequests()
    QString m_folder;
    int m_port = 0;
    bool m_readOnly = false;
    bool m_tls = false;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_log;
    QByteArray m_pending;
    QString m_error;
};

// A vCard 3.0 as a phone writes it: N, FN, UID and the extra lines given.
QByteArray phoneCard(const QString &uid, const QString &last, const QString &first,
                     const QStringList &extraLines = {});

} // namespace vcq::synctest
