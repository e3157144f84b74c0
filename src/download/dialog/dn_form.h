// MCDownload, the download dialog: the list of jigsaws on offer, a large
// preview of the chosen one, the mode (the selected jigsaw, all new ones,
// all), Download, Stop and Close, and a progress bar. Created once and kept
// for the run; its list, pictures read and chosen mode persist between
// showings, the catalogue and the first jigsaw fetched do not.
//
// The dialog drives the transfers through IDnFetcher (the catalogue with
// the other host's offer, one jigsaw fetched and unpacked); the shell
// reaches it only through CreateDownloadForm / ShowDownloadForm and the
// open hook below.
#pragma once

#include "download/dialog/dn_list.h"
#include "download/dialog/dn_login.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// ---- What the dialog drives ----------------------------------------------------------------
// The dialog's side of a transfer, called by the fetcher while it runs.
struct TDnFetchUi {
    // Bytes received so far of `expected` (below 1: not announced).
    std::function<void(int64_t received, int64_t expected)> fnProgress;
    // The transfer ended, however: the bar goes back to rest.
    std::function<void()> fnEnded;
    // CheckLoginPassword: credentials are available (false: nothing is fetched).
    std::function<bool(std::string* login, std::string* password)> fnCredentials;
    // The server refused the credentials (the fetcher has told the player).
    std::function<void()> fnLoginRefused;
};

class IDnFetcher {
public:
    virtual ~IDnFetcher() = default;
    virtual void SetUi(TDnFetchUi ui) = 0;
    // Forgets the catalogue: it is fetched again before the next transfer.
    virtual void ClearCatalogue() = 0;
    // The catalogue, once per showing; on failure offers the other host
    // ("Q_TryAnotherDnSrc"). True when it is there.
    virtual bool GetDnInfo() = 0;
    // Fetches and unpacks the jigsaw `name` into jigPath, keeping the event
    // loop turning while it waits. 0 fetched; -10 no credentials; -20
    // failed (the player told) or stopped.
    virtual int DownloadJigsaw(const std::string& name, const std::string& jigPath) = 0;
    // Stop pressed: the running transfer ends at once and later calls answer
    // -20 until ClearStop.
    virtual void Stop() = 0;
    virtual void ClearStop() = 0;
    virtual bool IsDownloading() const = 0;
};

// The fetcher over the download run (download/dn_session.h): messages and
// questions through the platform, progress from the transfer's signals.
std::unique_ptr<IDnFetcher> MakeSessionFetcher();

// ---- Pure rules ------------------------------------------------------------------------------
enum TDnMode { kDnModeSelected = 0, kDnModeNew = 1, kDnModeAll = 2 };
// The message key that says why `mode` has nothing to do ("MS_ListEmpty",
// "MS_NoNewJigs", "MS_SelJigsaw"), or "" when it has.
std::string DnModeProblem(const std::vector<ODnListThumb>& list, int mode, int sel);
// The entries a walk in mode 1 or 2 fetches, in list order.
std::vector<int> DnWalkEntries(const std::vector<ODnListThumb>& list, int mode);

// ---- The dialog -------------------------------------------------------------------------------
constexpr int kDnFormMinW = 600, kDnFormMinH = 550;
constexpr int kDnPreviewW = 360, kDnPreviewH = 270;

class MCDownload;
extern MCDownload* g_DnForm;  // per run; null before CreateDownloadForm

// Creates the dialog (a child of parent) around its fetcher (the session's
// when none is given) once; kept for the run. Answers the one dialog.
MCDownload* CreateDownloadForm(QWidget* parent, std::unique_ptr<IDnFetcher> fetcher = nullptr);
void FreeDownloadForm();

class MCDownload : public QDialog {
    Q_OBJECT
public:
    MCDownload(QWidget* parent, std::unique_ptr<IDnFetcher> fetcher);
    ~MCDownload() override;

    // Shows the dialog modally and returns when it is closed; with autoStart
    // a download of the new jigsaws starts a moment after it shows. After
    // closing, offers to open the first jigsaw fetched.
    void ShowForm(bool autoStart);
    void HideForm();
    void TranslateForm();
    void LoadThumbs();
    void SelectThumb(int index);
    void StartDownload();
    bool ValidateDownloadMode();
    void ButStopPressed();
    void UpdateConnectComps(bool busy);
    void ReinitStatus();

    // Opens the first jigsaw fetched, through the open dialog (installed by
    // the shell; by default the pieces are deselected and the files' open
    // road runs).
    std::function<void(const std::string& jigsaw)> fnOpenJigsaw;
    // How the name and password are asked for (the login dialog by default).
    TDnAskLogin fnAskLogin;
    // The desktop's secret store (QtKeychain by default; may be null).
    std::unique_ptr<IDnSecretStore> p_Store;

    // Controls, for the shell's tests and the translation.
    QPushButton* o_ButExit = nullptr;
    QPushButton* o_ButDownload = nullptr;
    QPushButton* o_ButStop = nullptr;
    MCDnScrollView* o_ScrollView = nullptr;
    QLabel* o_ThumbCap = nullptr;
    QLabel* o_Thumb = nullptr;
    QProgressBar* o_Progress = nullptr;
    QLabel* o_ModeCap = nullptr;
    QComboBox* o_Mode = nullptr;

    IDnFetcher& Fetcher() { return *p_Fetcher; }
    bool IsBusy() const { return p_bWalking; }
    int DnThumb() const { return p_DnThumb; }  // the entry being fetched; -1 none

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void BuildForm();
    bool FetchEntry(int index);  // DownloadJigsaw and the list's side of a success
    void ShowProgress(int64_t received, int64_t expected);
    bool AskLogin(const std::string& host, const std::string& login, TDnLoginAnswer* answer);
    void OfferFirstJigsaw();

    std::unique_ptr<IDnFetcher> p_Fetcher;
    bool p_bWalking = false;       // a StartDownload is under way
    bool p_bStopDn = false;        // Stop was pressed during this walk
    bool p_bCloseAfterStop = false;// the window was closed during a walk: close once it ends
    int p_DnThumb = -1;            // the entry being fetched; -1 none
};
