// The download runs below the dialog: the catalogue, the jigsaws, Stop.
#include "download/download.h"

#include "base/helpers.h"
#include "model/game_state.h"
#include "platform/platform.h"

#include <QEventLoop>

#include <fstream>

namespace {

// The whole file when it has at most cap bytes; empty otherwise.
std::vector<uint8_t> ReadSmallFile(const std::string& path, size_t cap)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return {};
    std::vector<uint8_t> bytes(cap + 1);
    f.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    const auto got = static_cast<size_t>(f.gcount());
    if (got > cap)
        return {};
    bytes.resize(got);
    return bytes;
}

}  // namespace

void Download_Reset() { DnInfo_Clear(); }

std::string TDnMessage::Text() const { return bEnglish ? sKey : LangFormat(CaretMesFormat(sKey), args); }

ODnSession::ODnSession(QObject* parent) : QObject(parent) {}

ODnSession::~ODnSession()
{
    if (p_transfer) {
        p_transfer->blockSignals(true);
        p_transfer->Stop();
    }
}

std::string ODnSession::WorkDir() const
{
    std::string d = sWorkDir.empty() ? FileNames.sJigsPath : sWorkDir;
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    return d;
}

std::string ODnSession::Host() const { return sHost.empty() ? OptP.DnSrc : sHost; }

void ODnSession::Stop()
{
    p_bStopDn = true;
    if (p_transfer)
        p_transfer->Stop();  // the waiting loop ends with it
}

int ODnSession::RunTransfer(const std::string& url, const std::string& dest, int64_t maxBytes, int deadlineMs,
                            const std::string& login, const std::string& password, std::string* why)
{
    if (!ODnTransfer::UrlUsable(url, why))
        return -2;
    ODnTransfer transfer;
    TDnRequest req;
    req.sUrl = url;
    req.sDestPath = dest;
    req.sLogin = login;
    req.sPassword = password;
    req.iMaxBytes = maxBytes;
    req.iDeadlineMs = deadlineMs;
    req.iStallMs = limits.iStallMs;

    int result = 0;
    QEventLoop loop;
    p_bRefused = false;
    connect(&transfer, &ODnTransfer::Begun, this, [this] { emit Begun(); });
    connect(&transfer, &ODnTransfer::ResponseReceived, this, [this](qint64 expected) { emit ResponseReceived(expected); });
    connect(&transfer, &ODnTransfer::DataReceived, this, [this, &transfer](qint64, qint64 received) {
        emit DataReceived(received, transfer.Expected());
    });
    connect(&transfer, &ODnTransfer::CredentialsRefused, this, [this] { p_bRefused = true; });
    connect(&transfer, &ODnTransfer::Finished, &loop, [&] {
        result = 1;
        loop.quit();
    });
    connect(&transfer, &ODnTransfer::Failed, &loop, [&](const QString& text, int code) {
        result = code == kDnErrStopped ? 0 : -1;
        p_sError = text.toStdString();
        p_iErrorCode = code;
        loop.quit();
    });
    if (!transfer.Start(req, why))
        return -3;
    Platform().Log("download: " + url);
    p_transfer = &transfer;
    p_isDownloading = true;
    if (p_bStopDn)
        transfer.Stop();
    else
        loop.exec();
    p_transfer = nullptr;
    p_isDownloading = false;
    emit Ended();
    return result;
}

int ODnSession::GetDnInfoIter(TDnMessage* mes)
{
    TDnMessage local;
    if (!mes)
        mes = &local;
    *mes = TDnMessage{};
    if (DnInfo.bValid)
        return kDnOk;
    if (p_bStopDn || p_isDownloading)
        return kDnFailed;
    std::string login, password;
    if (!fnCheckLoginPassword || !fnCheckLoginPassword(&login, &password))
        return kDnNoLogin;

    const std::string dir = WorkDir();
    const std::string infoPath = dir + "/" + kDnCatalogueName;
    DeleteFile(infoPath);
    const std::string url = DnCatalogueUrl(Host());
    std::string why;
    const int r = RunTransfer(url, infoPath, limits.iMaxCatalogueBytes, limits.iCatalogueDeadlineMs, login, password,
                              &why);
    if (r == -2) {
        Platform().Log("download: cannot start " + url + ": " + why);
        *mes = {"MS_InvalidUrl", {url}};
        return kDnFailed;
    }
    if (r == -3) {
        *mes = {"MS_DownloadFail", {why}};
        return kDnFailed;
    }
    if (r == 1) {
        const std::vector<uint8_t> bytes = ReadSmallFile(infoPath, size_t(limits.iMaxCatalogueBytes));
        TDnInfo info;
        if (DnInfo_Parse(bytes.data(), bytes.size(), &info)) {
            DnInfo = info;
            return kDnOk;
        }
        Platform().Log("download: the catalogue " + url + " names no archive kind");
        return kDnFailed;  // an invalid catalogue: no message
    }
    if (r == -1) {
        if (p_bRefused || p_iErrorCode == kDnErrAuthCancelled)
            *mes = {"MS_InvalidLogin", {std::string()}};
        else
            *mes = {"MS_DownloadFail", {p_sError}};
    }
    return kDnFailed;
}

bool ODnSession::GetDnInfo(const TDnAskOtherHost& askOtherHost, const TDnShowMessage& show)
{
    TDnMessage mes;
    int r = GetDnInfoIter(&mes);
    while (r == kDnFailed) {
        if (!mes.Empty() && show)
            show(mes);
        if (p_bStopDn || !askOtherHost)
            break;
        const std::string current = Host();
        const int ind = FindDnSrcIndByAddr(current);
        const std::string other = DnSrcHost(ind == 0 ? 1 : 0);
        if (!askOtherHost(current, other))
            break;
        if (sHost.empty())
            OptP.DnSrc = other;
        else
            sHost = other;
        r = GetDnInfoIter(&mes);
    }
    if (r != kDnFailed && !mes.Empty() && show)
        show(mes);
    return r == kDnOk;
}

int ODnSession::DownloadJigsaw(const std::string& displayName, const std::string& jigPath, TDnMessage* mes)
{
    TDnMessage local;
    if (!mes)
        mes = &local;
    *mes = TDnMessage{};
    if (p_bStopDn || p_isDownloading)
        return kDnFailed;
    if (!DnInfo.bValid || !DnNameIsSafe(displayName) || jigPath.empty())
        return kDnFailed;
    std::string login, password;
    if (!fnCheckLoginPassword || !fnCheckLoginPassword(&login, &password))
        return kDnNoLogin;

    const std::string archive = WorkDir() + "/" + displayName + "." + DnInfo.sExt;
    const std::string url = DnJigsawUrl(Host(), displayName, DnInfo.sExt);
    std::string why;
    const int r = RunTransfer(url, archive, limits.iMaxArchiveBytes, limits.iArchiveDeadlineMs, login, password,
                              &why);
    if (r == -2) {
        Platform().Log("download: cannot start " + url + ": " + why);
        *mes = {"MS_InvalidUrl", {url}};
        return kDnFailed;
    }
    if (r == -3) {
        *mes = {"MS_DownloadFail", {why}};
        return kDnFailed;
    }
    if (r == -1) {
        if (p_bRefused || p_iErrorCode == kDnErrAuthCancelled)
            *mes = {"MS_InvalidLogin", {displayName}};
        else
            *mes = {"MS_DownloadFail", {p_sError}};
        return kDnFailed;
    }
    if (r != 1)
        return kDnFailed;  // stopped: no message
    const TDnUnpackResult u = ExtractArchive(archive, jigPath, DnInfo.sExt, limits.iMaxUnpackedBytes);
    if (u.step != EDnUnpackStep::Ok) {
        Platform().Log("download: " + u.sText);
        *mes = TDnMessage{u.sText, {}, true};
        return kDnFailed;  // the archive stays for a look
    }
    DeleteFile(archive);
    if (FileNames.sFirstDownloadJig.empty())
        FileNames.sFirstDownloadJig = jigPath;
    return kDnOk;
}
