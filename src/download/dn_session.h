// The download run below the dialog: the catalogue fetch, the jigsaw fetch
// with its unpacking and check, Stop, and the progress signals. The dialog
// (and `zivra-tool fetch`) drive it; it shows nothing itself: every call
// answers its result and at most one message for the caller to show.
//
// Usage by the dialog:
//     ODnSession s;                                   // one per dialog, lives with it
//     s.sWorkDir = FileNames.sJigsPath;               // the default already
//     s.fnCheckLoginPassword = [](std::string* l, std::string* p) { ... };  // CheckLoginPassword
//     connect(&s, &ODnSession::Begun, ...);            // SetDownloading(true)
//     connect(&s, &ODnSession::ResponseReceived, ...); // progress range 0..expected
//     connect(&s, &ODnSession::DataReceived, ...);     // progress value
//     connect(&s, &ODnSession::Ended, ...);            // SetDownloading(false)
//     // ShowForm: DnInfo_Clear(); s.ClearStop();
//     // StartDownload, mode 0:
//     if (s.GetDnInfo(askOther, show)) { TDnMessage m; int r = s.DownloadJigsaw(name, jigPath, &m); show(m); }
//     // Stop button (a click handled inside the wait): s.Stop();
// The calls wait inside a nested QEventLoop, so the dialog stays responsive
// and its Stop button works; Stop ends the wait at once (result -20, no message).
#pragma once

#include "download/dn_catalogue.h"
#include "download/dn_transfer.h"
#include "download/dn_unpack.h"
#include "files/files.h"

#include <QObject>

#include <functional>
#include <string>
#include <vector>

// Answers of GetDnInfoIter and DownloadJigsaw.
constexpr int kDnOk = 0;
constexpr int kDnNoLogin = -10;  // CheckLoginPassword answered false: nothing fetched
constexpr int kDnFailed = -20;   // failed, refused or stopped (the message says which, Stop says nothing)

// One message for the caller to show. A language key with its arguments
// ("MS_DownloadFail" + error text, "MS_InvalidUrl" + URL, "MS_InvalidLogin" +
// display name), or with bEnglish the fixed English text of the unpacking,
// already filled in.
struct TDnMessage {
    std::string sKey;
    std::vector<LangArg> args;
    bool bEnglish = false;
    bool Empty() const { return sKey.empty(); }
    // The text to show: LangFormat(CaretMesFormat(sKey), args), or sKey itself when bEnglish.
    std::string Text() const;
};

// Limits of one run (the tests shorten them).
struct TDnLimits {
    int64_t iMaxCatalogueBytes = int64_t(kMaxDnCatalogueBytes);
    int64_t iMaxArchiveBytes = 512ll << 20;
    int64_t iMaxUnpackedBytes = kMaxDnUnpackedBytes;
    int iCatalogueDeadlineMs = 60 * 1000;
    int iArchiveDeadlineMs = 30 * 60 * 1000;
    int iStallMs = 30 * 1000;
};

// CheckLoginPassword: fills the name and password to answer a challenge
// with; false when none are available (then nothing is fetched, -10).
using TDnLoginProvider = std::function<bool(std::string* login, std::string* password)>;
// "Q_TryAnotherDnSrc": the current host, then the other; true for Yes.
using TDnAskOtherHost = std::function<bool(const std::string& current, const std::string& other)>;
using TDnShowMessage = std::function<void(const TDnMessage&)>;

class ODnSession : public QObject {
    Q_OBJECT
public:
    explicit ODnSession(QObject* parent = nullptr);
    ~ODnSession() override;

    // Where "info.dat" and the archives land: FileNames.sJigsPath unless set.
    std::string sWorkDir;
    // The host in use: OptP.DnSrc unless set (zivra-tool sets it).
    std::string sHost;
    TDnLoginProvider fnCheckLoginPassword;
    TDnLimits limits;

    std::string WorkDir() const;
    std::string Host() const;

    // Fetches the catalogue once (DnInfo), unless DnInfo is valid already
    // (then 0 at once). -20 when Stop was pressed or a transfer runs; -10 when
    // the provider gives no credentials. Otherwise the old "info.dat" is
    // deleted, the catalogue fetched (capped, over the temporary file), and
    // parsed. Messages: "MS_InvalidUrl" (URL), "MS_InvalidLogin" (empty
    // display name) on refused credentials, "MS_DownloadFail" (error text) on
    // another failure; an invalid catalogue fails without a message.
    int GetDnInfoIter(TDnMessage* mes);
    // GetDnInfoIter; while it answers -20 (and Stop was not pressed) shows its
    // message, then asks whether to try the other host; on Yes OptP.DnSrc
    // becomes the other host and it tries again; on No it stops (the setting
    // unchanged). A -10 is not retried. Answers whether the catalogue is valid.
    bool GetDnInfo(const TDnAskOtherHost& askOtherHost, const TDnShowMessage& show);
    // Fetches "<displayName>.<DnInfo.sExt>" into the work folder (a temporary
    // file renamed when complete), unpacks its first file, checks it is a
    // readable jigsaw and renames it over jigPath; then deletes the archive
    // and sets FileNames.sFirstDownloadJig when empty. 0 on success, -10
    // without credentials, -20 otherwise (also for an invalid catalogue, an
    // unsafe display name, Stop, or a transfer running). Messages as
    // GetDnInfoIter (with the display name for "MS_InvalidLogin") and the
    // English texts of the unpacking. On failure jigPath is untouched.
    int DownloadJigsaw(const std::string& displayName, const std::string& jigPath, TDnMessage* mes);

    // ButStopPressed's core: sets the stop flag and cancels a running
    // transfer (its partial file removed); the waiting call returns -20.
    void Stop();
    void ClearStop() { p_bStopDn = false; }
    bool StopPressed() const { return p_bStopDn; }
    bool IsDownloading() const { return p_isDownloading; }
    // The last transfer error (p_nsError, p_iErrorCode).
    const std::string& LastError() const { return p_sError; }
    int LastErrorCode() const { return p_iErrorCode; }

signals:
    void Begun();                                             // a transfer began
    void ResponseReceived(qint64 expectedLength);             // -1 unknown
    void DataReceived(qint64 received, qint64 expectedLength);
    void Ended();                                             // the transfer ended, however

private:
    // Runs one transfer to the end (or Stop): 1 finished, -1 failed, 0 stopped;
    // -2 when the address is unusable, -3 when the download file cannot be
    // made (*why says why).
    int RunTransfer(const std::string& url, const std::string& dest, int64_t maxBytes, int deadlineMs,
                    const std::string& login, const std::string& password, std::string* why);

    ODnTransfer* p_transfer = nullptr;
    bool p_isDownloading = false;
    bool p_bStopDn = false;
    bool p_bRefused = false;
    std::string p_sError;
    int p_iErrorCode = 0;
};
