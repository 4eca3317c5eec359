// SPDX-License-Identifier: GPL-3.0-or-later
#include "dav_client.h"

#include <QAuthenticator>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>

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

void DavClient::setCredentials(const QString &user, const QString &password)
{
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
    if (m_cancelled) {
        result.error = DavErrc::Cancelled;
        return result;
    }
    QNetworkRequest req(request.url);
    req.setTransferTimeout(m_timeoutMs);
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
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    const auto cancelConnection =
        connect(this, &DavClient::cancelRequested, reply, &QNetworkReply::abort);
    if (!reply->isFinished())
        loop.exec(); // a window's Cancel button stays live
    disconnect(cancelConnection);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        result.status = status.toInt();
        result.body = reply->readAll();
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
    }
    reply->deleteLater();
    return result;
}

DavReply DavClient::sendFollowing(DavRequest request)
{
    DavReply reply = send(request);
    for (int hop = 0; hop < 5 && reply.error == DavErrc::None && reply.status >= 300 &&
                      reply.status < 400 && reply.location.isValid();
         ++hop) {
        request.url = reply.location;
        reply = send(request);
    }
    return reply;
}

} // namespace vcq::sync
