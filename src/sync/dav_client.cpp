// SPDX-License-Identifier: GPL-3.0-or-later
#include "dav_client.h"

#include "origin.h"

#include <QAuthenticator>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

#include <algorithm>

namespace vcq::sync
{

namespace
{

QString normalisedFingerprint(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c.isLetterOrNumber())
            out.append(c.toUpper());
    }
    return out;
}

} // namespace

QString formatFingerprint(const QByteArray &digest)
{
    QStringList pairs;
    for (unsigned char b : digest)
        pairs << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return pairs.join(QLatin1Char(':'));
}

DavClient::DavClient(QObject *parent) : QObject(parent)
{
    m_nam.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // Each reply supplies the credentials once when the server asks (a Digest
    // server); a second request for them means they are wrong, and the 401 stands.
    connect(&m_nam, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *reply, QAuthenticator *auth) {
                if (reply->property("vcqAuthTried").toBool())
                    return;
                reply->setProperty("vcqAuthTried", true);
                auth->setUser(m_user);
                auth->setPassword(m_password);
            });
}

int timeoutFromEnvironment()
{
    bool ok = false;
    const double seconds = qEnvironmentVariable("VCQ_SYNC_TIMEOUT").toDouble(&ok);
    if (!ok || seconds <= 0 || seconds > 24 * 3600)
        return kDefaultTimeoutMs;
    return std::max(1, int(seconds * 1000));
}

void DavClient::setCredentials(const QUrl &origin, const QString &user, const QString &password)
{
    m_origin = origin;
    m_user = user;
    m_password = password;
}

void DavClient::setAcceptedFingerprint(const QString &fingerprint)
{
    m_fingerprint = normalisedFingerprint(fingerprint);
}

DavReply DavClient::send(const DavRequest &request)
{
    DavReply result;
    result.url = request.url;
    if (m_cancelled) {
        result.error = DavErrc::Cancelled;
        return result;
    }
    // Refused before a byte leaves: the password goes only where it was given.
    if (m_origin.isValid() && !sameOrigin(request.url, m_origin)) {
        result.error = DavErrc::OtherOrigin;
        result.errorText = request.url.toString();
        return result;
    }
    if (isInsecureHttp(request.url) && !m_allowInsecureHttp) {
        result.error = DavErrc::Insecure;
        result.errorText = request.url.toString();
        return result;
    }
    QNetworkRequest req(request.url);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (!m_user.isEmpty()) {
        // Sent up front: one request per operation, never a round trip for a 401.
        const QByteArray pair = (m_user + QLatin1Char(':') + m_password).toUtf8();
        req.setRawHeader("Authorization", "Basic " + pair.toBase64());
    }
    for (const auto &h : request.headers)
        req.setRawHeader(h.first, h.second);

    ++m_requests;
    QNetworkReply *reply = m_nam.sendCustomRequest(req, request.method, request.body);
    QString tlsProblem;
    connect(reply, &QNetworkReply::sslErrors, this, [&](const QList<QSslError> &errors) {
        const QByteArray digest =
            reply->sslConfiguration().peerCertificate().digest(QCryptographicHash::Sha256);
        result.fingerprint = formatFingerprint(digest);
        if (!m_fingerprint.isEmpty() &&
            normalisedFingerprint(result.fingerprint) == m_fingerprint) {
            reply->ignoreSslErrors(errors);
            return;
        }
        QStringList texts;
        for (const QSslError &e : errors)
            texts << e.errorString();
        tlsProblem = texts.join(QStringLiteral("; "));
    });

    // The answer is taken as it comes, never more of it than the limit, and
    // a server silent for the time-out is given up on.
    bool tooLarge = false;
    bool timedOut = false;
    QTimer silence;
    silence.setSingleShot(true);
    QElapsedTimer sinceData;
    sinceData.start();
    QTimer tick;
    const auto gotSomething = [&] {
        sinceData.restart();
        silence.start(m_timeoutMs);
    };
    connect(&silence, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    // Rounded: a tick a little early still counts its whole second.
    tick.setTimerType(Qt::PreciseTimer);
    connect(&tick, &QTimer::timeout, this, [&] {
        emit waiting(int((sinceData.elapsed() + 500) / 1000), qint64(result.body.size()));
    });
    connect(reply, &QNetworkReply::uploadProgress, this, [&](qint64 sent, qint64) {
        if (sent > 0)
            gotSomething();
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [&] {
        gotSomething();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > request.maxBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        gotSomething();
        result.body += reply->read(request.maxBytes + 1 - result.body.size());
        if (result.body.size() > request.maxBytes) {
            tooLarge = true;
            result.body.clear();
            reply->abort();
        }
    });
    silence.start(m_timeoutMs);
    tick.start(1000);

    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    const auto cancelConnection =
        connect(this, &DavClient::cancelRequested, reply, &QNetworkReply::abort);
    if (!reply->isFinished())
        loop.exec(); // a window's Cancel button stays live
    disconnect(cancelConnection);
    silence.stop();
    tick.stop();
    // The handlers above hold references to this function's locals.
    disconnect(reply, nullptr, this, nullptr);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (tooLarge) {
        result.error = DavErrc::TooLarge;
        result.errorText = QString::number(request.maxBytes);
        result.body.clear();
    } else if (timedOut) {
        result.error = DavErrc::TimedOut;
        result.errorText = QString::number((m_timeoutMs + 999) / 1000);
        result.body.clear();
    } else if (m_cancelled && reply->error() == QNetworkReply::OperationCanceledError) {
        result.error = DavErrc::Cancelled;
        result.body.clear();
    } else if (status.isValid()) {
        result.status = status.toInt();
        result.body += reply->readAll();
        if (result.body.size() > request.maxBytes) {
            result = {};
            result.url = request.url;
            result.error = DavErrc::TooLarge;
            result.errorText = QString::number(request.maxBytes);
            reply->deleteLater();
            return result;
        }
        result.etag = reply->rawHeader("ETag");
        const QVariant location = reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
        if (location.isValid())
            result.location = request.url.resolved(location.toUrl());
    } else if (m_cancelled) {
        result.error = DavErrc::Cancelled;
    } else if (!tlsProblem.isEmpty() || reply->error() == QNetworkReply::SslHandshakeFailedError) {
        result.error = DavErrc::Tls;
        result.errorText = tlsProblem.isEmpty() ? reply->errorString() : tlsProblem;
    } else {
        result.error = DavErrc::Network;
        result.errorText = reply->errorString();
        result.body.clear();
    }
    reply->deleteLater();
    return result;
}

DavReply DavClient::sendFollowing(DavRequest request)
{
    DavReply reply = send(request);
    bool permanentSoFar = true;
    for (int hop = 0; hop < 5 && reply.error == DavErrc::None && reply.status >= 300 &&
                      reply.status < 400 && reply.location.isValid();
         ++hop) {
        const QUrl from = request.url;
        const QUrl to = reply.location;
        switch (judgeRedirect(from, to)) {
        case RedirectVerdict::Follow:
            break;
        case RedirectVerdict::Downgrade:
            reply = {};
            reply.error = DavErrc::Downgrade;
            reply.errorText = to.toString();
            reply.url = from;
            return reply;
        case RedirectVerdict::OtherOrigin:
            reply = {};
            reply.error = DavErrc::OtherOrigin;
            reply.errorText = to.toString();
            reply.url = from;
            return reply;
        }
        permanentSoFar = permanentSoFar && (reply.status == 301 || reply.status == 308);
        request.url = to;
        reply = send(request);
        if (permanentSoFar)
            reply.movedTo = to;
    }
    return reply;
}

} // namespace vcq::sync
