// The dialog's fetcher over the download run (ODnSession): its messages go
// to the player, the other host is offered through a question, a refused
// login is forgotten, and the transfer's signals drive the progress bar.
#include "download/dialog/dn_form.h"

#include "download/download.h"
#include "platform/platform.h"

namespace {

class ODnSessionFetcher : public IDnFetcher {
public:
    void SetUi(TDnFetchUi ui) override
    {
        ui_ = std::move(ui);
        session_.fnCheckLoginPassword = ui_.fnCredentials;
        QObject::disconnect(&session_, nullptr, nullptr, nullptr);
        QObject::connect(&session_, &ODnSession::Begun, [this] { Progress(0, -1); });
        QObject::connect(&session_, &ODnSession::ResponseReceived, [this](qint64 expected) { Progress(0, expected); });
        QObject::connect(&session_, &ODnSession::DataReceived,
                         [this](qint64 received, qint64 expected) { Progress(received, expected); });
        QObject::connect(&session_, &ODnSession::Ended, [this] {
            if (ui_.fnEnded)
                ui_.fnEnded();
        });
    }
    void ClearCatalogue() override { DnInfo_Clear(); }
    bool GetDnInfo() override
    {
        return session_.GetDnInfo(
            [](const std::string& current, const std::string& other) {
                const std::string q = LangFormat(CaretMesFormat("Q_TryAnotherDnSrc"), {current, other});
                return Platform().ShowQuestion(q, LangGetKeyVal("B_Yes"), LangGetKeyVal("B_No"), "") == 1;
            },
            [this](const TDnMessage& m) { Show(m); });
    }
    int DownloadJigsaw(const std::string& name, const std::string& jigPath) override
    {
        TDnMessage m;
        const int r = session_.DownloadJigsaw(name, jigPath, &m);
        Show(m);
        return r;
    }
    void Stop() override { session_.Stop(); }
    void ClearStop() override { session_.ClearStop(); }
    bool IsDownloading() const override { return session_.IsDownloading(); }

private:
    void Progress(int64_t received, int64_t expected)
    {
        if (ui_.fnProgress)
            ui_.fnProgress(received, expected);
    }
    void Show(const TDnMessage& m)
    {
        if (m.Empty())
            return;
        // Refused credentials are not offered again: the next fetch asks anew.
        if (m.sKey == "MS_InvalidLogin" && ui_.fnLoginRefused)
            ui_.fnLoginRefused();
        Platform().ShowMessage(m.Text());
    }

    ODnSession session_;
    TDnFetchUi ui_;
};

}  // namespace

std::unique_ptr<IDnFetcher> MakeSessionFetcher() { return std::make_unique<ODnSessionFetcher>(); }
