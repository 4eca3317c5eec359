// SPDX-License-Identifier: GPL-3.0-or-later
// HTTP requests to a CardDAV server, one at a time, answered synchronously
// (a local event loop runs while a request is in flight, so a window stays
// live). Sends the user's credentials with every request to the origin they
// were given for and to nowhere else, refuses plain http to another machine
// unless told, reads every answer with a size limit and gives up on a server
// that sends nothing for a while. Verifies TLS with the system's certificates
// unless one certificate is accepted by its SHA-256 fingerprint, and counts
// the requests it sends.
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
    None,        // an HTTP answer arrived (any status)
    Network,     // no answer: refused, reset, host not found, timed out
    Tls,         // the certificate failed verification and was not accepted
    Cancelled,   // cancel() was called
    TimedOut,    // nothing arrived for the time-out (errorText: seconds)
    TooLarge,    // the answer was longer than the request's limit (errorText: the limit in bytes)
    OtherOrigin, // not sent: another origin than the credentials' (errorText: the address)
    Downgrade,   // not followed: a redirect from https to http (errorText: the address)
    Insecure,    // not sent: plain http to another machine (errorText: the address)
};

// The longest answers read: a multi-status (a listing, a batch of cards) and one card.
constexpr qint64 kMaxMultiStatusBytes = qint64(64) << 20;
constexpr qint64 kMaxCardBytes = qint64(16) << 20;
// How long a server may send nothing before the request fails, unless the
// environment variable VCQ_SYNC_TIMEOUT gives another number of seconds.
constexpr int kDefaultTimeoutMs = 60000;
int timeoutFromEnvironment();

struct DavRequest {
    QByteArray method;
    QUrl url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    qint64 maxBytes = kMaxMultiStatusBytes; // a longer answer fails with TooLarge
};

struct DavReply {
    DavErrc error = DavErrc::None;
    int status = 0; // HTTP status; 0 when no answer arrived
    QByteArray body;
    QByteArray etag;     // the ETag header, quotes kept
    QUrl location;       // resolved Location header of a redirect
    QUrl url;            // where the answer came from, after the redirects followed
    QUrl movedTo;        // after permanent redirects only (301, 308): the new address
    QString errorText;   // what the network layer said when no answer arrived
    QString fingerprint; // SHA-256 of the server's certificate (hex, colons) on a TLS failure

    bool ok() const { return error == DavErrc::None && status >= 200 && status < 300; }
};

class DavClient : public QObject
{
    Q_OBJECT
public:
    explicit DavClient(QObject *parent = nullptr);

    // The credentials and the origin (scheme, host, port of this address)
    // they belong to; no request goes to another origin.
    void setCredentials(const QUrl &origin, const QString &user, const QString &password);
    // Allows plain http to a host other than the loopback (the user insisted).
    void setAllowInsecureHttp(bool allow) { m_allowInsecureHttp = allow; }
    // Accepts a certificate that fails verification when its SHA-256
    // fingerprint equals this one (hex, colons and case ignored); empty: none.
    void setAcceptedFingerprint(const QString &fingerprint);
    // Gives up on a request after this many milliseconds without a byte.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    // Sends one request and waits for its answer. Redirects are not followed.
    DavReply send(const DavRequest &request);
    // Like send(), following up to five redirects within the origin
    // (discovery); a redirect elsewhere is refused, never followed.
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
    // Every second of a request: how long the server has been silent and
    // how much of the answer arrived.
    void waiting(int silentSeconds, qint64 received);

private:
    QNetworkAccessManager m_nam;
    QUrl m_origin;
    bool m_allowInsecureHttp = false;
    QString m_user;
    QString m_password;
    QString m_fingerprint;
    int m_timeoutMs = timeoutFromEnvironment();
    int m_requests = 0;
    std::atomic_bool m_cancelled = false;
};

// A fingerprint in the form the program shows: upper-case hex pairs joined by colons.
QString formatFingerprint(const QByteArray &digest);

} // namespace vcq::sync
