// SPDX-License-Identifier: GPL-3.0-or-later
// HTTP requests to a CardDAV server, one at a time, answered synchronously
// (a local event loop runs while a request is in flight, so a window stays
// live). Sends the user's credentials with every request, verifies TLS with
// the system's certificates unless one certificate is accepted by its SHA-256
// fingerprint, and counts the requests it sends.
#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <atomic>

namespace vcq::sync
{

enum class DavErrc {
    None,      // an HTTP answer arrived (any status)
    Network,   // no answer: refused, reset, host not found, timed out
    Tls,       // the certificate failed verification and was not accepted
    Cancelled, // cancel() was called
};

struct DavRequest {
    QByteArray method;
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

struct DavReply {
    DavErrc error = DavErrc::None;
    int status = 0; // HTTP status; 0 when no answer arrived
    QByteArray body;
    QByteArray etag;     // the ETag header, quotes kept
    QUrl location;       // resolved Location header of a redirect
    QString errorText;   // what the network layer said when no answer arrived
    QString fingerprint; // SHA-256 of the server's certificate (hex, colons) on a TLS failure

    bool ok() const { return error == DavErrc::None && status >= 200 && status < 300; }
};

class DavClient : public QObject
{
    Q_OBJECT
public:
    explicit DavClient(QObject *parent = nullptr);

    void setCredentials(const QString &user, const QString &password);
    // Accepts a certificate that fails verification when its SHA-256
    // fingerprint equals this one (hex, colons and case ignored); empty: none.
    void setAcceptedFingerprint(const QString &fingerprint);
    // Gives up on a request after this many milliseconds without progress.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Sends one request and waits for its answer. Redirects are not followed.
    DavReply send(const DavRequest &request);
    // Like send(), following up to five redirects (discovery).
    DavReply sendFollowing(DavRequest request);

    // Aborts the request in flight and every later one; safe from a slot.
    void cancel()
    {
        m_cancelled = true;
        emit cancelRequested();
    }
    bool isCancelled() const { return m_cancelled; }

    int requestCount() const { return m_requests; }
    void resetRequestCount() { m_requests = 0; }

signals:
    void cancelRequested();

private:
    QNetworkAccessManager m_nam;
    QString m_user;
    QString m_password;
    QString m_fingerprint;
    int m_timeoutMs = 600000; // a large address book can keep a busy server silent a while
    int m_requests = 0;
    std::atomic_bool m_cancelled = false;
};

// A fingerprint in the form the program shows: upper-case hex pairs joined by colons.
QString formatFingerprint(const QByteArray &digest);

} // namespace vcq::sync
