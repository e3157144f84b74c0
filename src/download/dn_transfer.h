// One HTTP(S) GET into a file, on Qt Network, asynchronous on the caller's
// event loop. Hardened: an overall deadline and a stall timeout, a size cap,
// redirects only within the same scheme, host and port, credentials only
// over HTTPS or plain HTTP to a loopback host, TLS errors fail, and the body
// lands in a temporary file that becomes the destination only when complete
// (it is removed on failure and on Stop).
//
// Usage (ODnSession does this; the tests drive it directly):
//     ODnTransfer t;
//     connect(&t, &ODnTransfer::Finished, ...);  // and Failed, DataReceived, ...
//     TDnRequest r; r.sUrl = ...; r.sDestPath = ...; r.sLogin = ...; r.sPassword = ...;
//     std::string why;
//     if (!t.Start(r, &why)) { /* the "MS_InvalidUrl" case: nothing started */ }
//     ... the event loop runs; exactly one of Finished / Failed follows ...
//     t.Stop();  // at any time: Failed(kDnErrStopped) follows at once, the file is gone
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;
class QTimer;

// Error codes of Failed beside Qt's QNetworkReply::NetworkError values (all
// positive) and the HTTP status (reported as the code 100000 + status when
// Qt gives no network error of its own).
constexpr int kDnErrStopped = -999;          // Stop
constexpr int kDnErrTimedOut = -1001;        // the deadline passed or the server stalled
constexpr int kDnErrRedirect = -1007;        // a redirect to another origin (or too many)
constexpr int kDnErrAuthCancelled = -1012;   // credentials refused (a second challenge)
constexpr int kDnErrTooLarge = -1103;        // the body exceeds the cap
constexpr int kDnErrInsecureLogin = -1202;   // a challenge over plain HTTP to another host
constexpr int kDnErrFile = -3000;            // the destination could not be written

struct TDnRequest {
    std::string sUrl;        // http:// (loopback hosts only) or https://
    std::string sDestPath;   // the complete body lands here
    std::string sLogin, sPassword;  // the answer to the first challenge; empty: none is answered
    int64_t iMaxBytes = 512ll << 20;  // body cap
    int iDeadlineMs = 30 * 60 * 1000; // whole transfer
    int iStallMs = 30 * 1000;         // longest wait for the next bytes
};

class ODnTransfer : public QObject {
    Q_OBJECT
public:
    explicit ODnTransfer(QObject* parent = nullptr);
    ~ODnTransfer() override;  // a running transfer is stopped (its file removed), without signals

    // Starts the transfer. False with *why (nothing started, no signal) when
    // the URL is not a usable http/https address, plain HTTP names a host
    // that is not loopback, or one is running already.
    bool Start(const TDnRequest& request, std::string* why);
    // The address check of Start alone: an http(s) URL with a host and no
    // user part, plain HTTP only to a loopback host.
    static bool UrlUsable(const std::string& url, std::string* why);
    // Cancels a running transfer at once: the partial file is removed and
    // Failed(kDnErrStopped) is emitted before Stop returns. Nothing when idle.
    void Stop();
    bool IsRunning() const { return p_reply != nullptr; }
    int64_t Received() const { return p_received; }
    int64_t Expected() const { return p_expected; }  // -1 unknown

signals:
    void Begun();
    void ResponseReceived(qint64 expectedLength);             // -1 when the server does not say
    void DataReceived(qint64 chunkLength, qint64 received);
    void CredentialsRefused();                                // Failed(kDnErrAuthCancelled) follows
    void Finished();                                          // sDestPath is complete
    void Failed(const QString& text, int code);               // sDestPath untouched, partial file gone

private:
    void Issue(const QUrl& url);
    bool FollowRedirect();
    void OnMetaData();
    void OnReadyRead();
    void OnFinished();
    void Fail(const QString& text, int code);
    void Cleanup();

    TDnRequest p_req;
    std::unique_ptr<QNetworkAccessManager> p_nam;
    QNetworkReply* p_reply = nullptr;
    std::unique_ptr<QSaveFile> p_file;
    QTimer* p_deadline = nullptr;
    QTimer* p_stall = nullptr;
    // Fail once the current call from Qt has returned, if the same reply is
    // still running then; refused: the credentials were refused.
    void FailSoon(const QString& text, int code, bool refused);
    int p_challenges = 0;
    int p_redirects = 0;
    bool p_begun = false;
    int64_t p_received = 0;
    int64_t p_expected = -1;
};
