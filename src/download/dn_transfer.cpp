// One hardened HTTP(S) GET into a file.
#include "download/dn_transfer.h"

#include "files/files.h"

#include <QAuthenticator>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslError>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int kMaxRedirects = 5;

bool SameOrigin(const QUrl& a, const QUrl& b)
{
    const auto port = [](const QUrl& u) { return u.port(u.scheme() == QLatin1String("https") ? 443 : 80); };
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && port(a) == port(b);
}

// Plain HTTP is allowed only where nobody can listen in: a loopback host.
bool SchemeAllowed(const QUrl& u)
{
    if (u.scheme() == QLatin1String("https"))
        return true;
    if (u.scheme() != QLatin1String("http"))
        return false;
    const QString host = u.host();
    return DnSrcIsLoopback(host.contains(QLatin1Char(':')) ? "[" + host.toStdString() + "]" : host.toStdString());
}

}  // namespace

ODnTransfer::ODnTransfer(QObject* parent) : QObject(parent) {}

ODnTransfer::~ODnTransfer()
{
    // Quietly: whoever listens may be gone already.
    blockSignals(true);
    Cleanup();
}

bool ODnTransfer::Start(const TDnRequest& request, std::string* why)
{
    auto refuse = [&](const std::string& text) {
        if (why)
            *why = text;
        return false;
    };
    if (p_reply)
        return refuse("a transfer is running");
    if (!UrlUsable(request.sUrl, why))
        return false;
    const QUrl url(QString::fromStdString(request.sUrl), QUrl::StrictMode);
    if (request.sDestPath.empty())
        return refuse("no destination");

    p_req = request;
    p_challenges = 0;
    p_redirects = 0;
    p_begun = false;
    p_received = 0;
    p_expected = -1;

    // The body goes to a side file that becomes sDestPath only on commit.
    p_file = std::make_unique<QSaveFile>(QString::fromStdString(request.sDestPath));
    p_file->setDirectWriteFallback(false);
    if (!p_file->open(QIODevice::WriteOnly)) {
        const std::string err = p_file->errorString().toStdString();
        p_file.reset();
        return refuse("cannot write " + request.sDestPath + ": " + err);
    }

    // A manager of its own: no credentials or connections carry over from
    // another transfer.
    p_nam = std::make_unique<QNetworkAccessManager>();
    p_nam->setStrictTransportSecurityEnabled(false);
    connect(p_nam.get(), &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* auth) {
                if (reply != p_reply)
                    return;
                ++p_challenges;
                // Qt's network thread waits on this call: aborting the reply
                // inside it can crash that thread. A failure is therefore
                // handed on to run once the call has returned.
                if (!SchemeAllowed(reply->url())) {  // cannot happen: Start and the redirects keep to it
                    FailSoon(QStringLiteral("The server asked for a password over an unprotected connection."),
                             kDnErrInsecureLogin, false);
                    return;
                }
                if (p_challenges > 1 || p_req.sLogin.empty()) {
                    // The credentials were refused (or there are none): give up
                    // rather than ask again.
                    FailSoon(QStringLiteral("The name or password was refused."), kDnErrAuthCancelled, true);
                    return;
                }
                auth->setUser(QString::fromStdString(p_req.sLogin));
                auth->setPassword(QString::fromStdString(p_req.sPassword));
            });

    Issue(url);
    // TLS errors are never ignored: the reply fails with them.

    p_deadline = new QTimer(this);
    p_deadline->setSingleShot(true);
    connect(p_deadline, &QTimer::timeout, this,
            [this] { Fail(QStringLiteral("The download took too long."), kDnErrTimedOut); });
    p_deadline->start(std::max(1, p_req.iDeadlineMs));
    p_stall = new QTimer(this);
    p_stall->setSingleShot(true);
    connect(p_stall, &QTimer::timeout, this,
            [this] { Fail(QStringLiteral("The server stopped answering."), kDnErrTimedOut); });
    p_stall->start(std::max(1, p_req.iStallMs));
    return true;
}

// Redirects are followed here, one request each, rather than by Qt: after
// a redirect Qt may hand over the final answer with the redirect's headers
// (its length among them), which made good downloads look cut short.
void ODnTransfer::Issue(const QUrl& url)
{
    QNetworkRequest req(url);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    req.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("ZivraJigsaw"));
    req.setRawHeader("Accept-Encoding", "identity");  // the size cap counts what is stored
    req.setTransferTimeout(0);  // our own stall timer instead

    p_reply = p_nam->get(req);
    p_reply->setReadBufferSize(1 << 20);
    connect(p_reply, &QNetworkReply::metaDataChanged, this, &ODnTransfer::OnMetaData);
    connect(p_reply, &QNetworkReply::readyRead, this, &ODnTransfer::OnReadyRead);
    connect(p_reply, &QNetworkReply::finished, this, &ODnTransfer::OnFinished);
}

// A finished 3xx answer with a target: the same request again at the target
// when it lies on the same site (scheme, host and port), with nothing of the
// answer kept. False when it is not a redirect; a refused one fails.
bool ODnTransfer::FollowRedirect()
{
    const QVariant target = p_reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    const QVariant status = p_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!target.isValid() || !status.isValid() || status.toInt() < 300 || status.toInt() >= 400)
        return false;
    const QUrl to = p_reply->url().resolved(target.toUrl());
    if (!SameOrigin(QUrl(QString::fromStdString(p_req.sUrl)), to)) {
        Fail(QStringLiteral("The server sent the download elsewhere (%1).").arg(to.toDisplayString()),
             kDnErrRedirect);
        return true;
    }
    if (++p_redirects > kMaxRedirects) {
        Fail(QStringLiteral("The server sent the download round in circles."), kDnErrRedirect);
        return true;
    }
    QNetworkReply* old = p_reply;
    old->disconnect(this);
    old->deleteLater();
    p_challenges = 0;
    p_begun = false;
    p_expected = -1;
    Issue(to);
    if (p_stall)
        p_stall->start();
    return true;
}

bool ODnTransfer::UrlUsable(const std::string& text, std::string* why)
{
    auto refuse = [&](const std::string& reason) {
        if (why)
            *why = reason;
        return false;
    };
    const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return refuse("not a usable address");
    if (!SchemeAllowed(url))
        return refuse("only HTTPS, or plain HTTP to this computer, is used");
    return true;
}

void ODnTransfer::Stop()
{
    if (p_reply)
        Fail(QStringLiteral("Stopped."), kDnErrStopped);
}

void ODnTransfer::OnMetaData()
{
    if (!p_reply)
        return;
    const QVariant status = p_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Redirects and challenges come through here too; only a final answer begins the transfer.
    if (status.isValid()) {
        const int code = status.toInt();
        if ((code >= 300 && code < 400) || code == 401 || code == 407)
            return;
    }
    if (p_begun)
        return;
    p_begun = true;
    const QVariant len = p_reply->header(QNetworkRequest::ContentLengthHeader);
    p_expected = len.isValid() ? len.toLongLong() : -1;
    if (status.isValid() && status.toInt() >= 200 && status.toInt() < 300 && p_expected > p_req.iMaxBytes) {
        Fail(QStringLiteral("The file is larger than expected (%1 bytes).").arg(p_expected), kDnErrTooLarge);
        return;
    }
    emit Begun();
    if (p_reply)
        emit ResponseReceived(p_expected);
}

void ODnTransfer::OnReadyRead()
{
    if (!p_reply)
        return;
    const QVariant status = p_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() >= 300)) {
        p_reply->skip(p_reply->bytesAvailable());  // an error page: not stored
        p_stall->start();
        return;
    }
    if (!p_begun)
        OnMetaData();
    if (!p_reply)
        return;
    const QByteArray chunk = p_reply->readAll();
    if (chunk.isEmpty())
        return;
    if (p_received + chunk.size() > p_req.iMaxBytes) {
        Fail(QStringLiteral("The file is larger than expected."), kDnErrTooLarge);
        return;
    }
    if (p_file->write(chunk) != chunk.size()) {
        Fail(QStringLiteral("Could not write the download: %1").arg(p_file->errorString()), kDnErrFile);
        return;
    }
    p_received += chunk.size();
    p_stall->start();
    emit DataReceived(chunk.size(), p_received);
}

void ODnTransfer::OnFinished()
{
    if (!p_reply)
        return;
    if (p_reply->bytesAvailable() > 0)
        OnReadyRead();
    if (!p_reply)
        return;
    const QNetworkReply::NetworkError err = p_reply->error();
    const QVariant status = p_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (err == QNetworkReply::NoError && FollowRedirect())
        return;
    if (err != QNetworkReply::NoError) {
        if (err == QNetworkReply::AuthenticationRequiredError && p_challenges > 0) {
            emit CredentialsRefused();
            if (p_reply)
                Fail(QStringLiteral("The name or password was refused."), kDnErrAuthCancelled);
            return;
        }
        Fail(p_reply->errorString(), int(err));
        return;
    }
    if (!status.isValid() || status.toInt() < 200 || status.toInt() >= 300) {
        const int code = status.isValid() ? status.toInt() : 0;
        Fail(QStringLiteral("The server answered %1.").arg(code), 100000 + code);
        return;
    }
    if (p_expected >= 0 && p_received != p_expected) {
        Fail(QStringLiteral("The download ended early (%1 of %2 bytes).").arg(p_received).arg(p_expected),
             int(QNetworkReply::RemoteHostClosedError));
        return;
    }
    if (!p_file->commit()) {
        Fail(QStringLiteral("Could not write the download: %1").arg(p_file->errorString()), kDnErrFile);
        return;
    }
    p_file.reset();
    Cleanup();
    emit Finished();
}

void ODnTransfer::Fail(const QString& text, int code)
{
    if (!p_reply)
        return;
    Cleanup();
    emit Failed(text.isEmpty() ? QStringLiteral("An error occured during download.") : text, code);
}

void ODnTransfer::FailSoon(const QString& text, int code, bool refused)
{
    QNetworkReply* reply = p_reply;
    QMetaObject::invokeMethod(this, [this, reply, text, code, refused] {
        if (!p_reply || p_reply != reply)
            return;  // finished, failed or moved on meanwhile
        if (refused)
            emit CredentialsRefused();
        if (p_reply)
            Fail(text, code);
    }, Qt::QueuedConnection);
}

void ODnTransfer::Cleanup()
{
    if (p_deadline) {
        p_deadline->stop();
        p_deadline->deleteLater();
        p_deadline = nullptr;
    }
    if (p_stall) {
        p_stall->stop();
        p_stall->deleteLater();
        p_stall = nullptr;
    }
    if (p_file) {
        p_file->cancelWriting();
        p_file.reset();  // the side file is removed
    }
    if (QNetworkReply* r = p_reply) {
        p_reply = nullptr;
        r->disconnect(this);
        r->abort();
        r->deleteLater();
    }
    if (p_nam) {
        p_nam->disconnect(this);
        p_nam.release()->deleteLater();
    }
}
