// The download runs below the dialog.
#include "download/download.h"

void Download_Reset() { DnInfo_Clear(); }

std::string TDnMessage::Text() const { return bEnglish ? sKey : LangFormat(CaretMesFormat(sKey), args); }

ODnSession::ODnSession(QObject* parent) : QObject(parent) {}
ODnSession::~ODnSession() = default;

std::string ODnSession::WorkDir() const { return sWorkDir.empty() ? FileNames.sJigsPath : sWorkDir; }
std::string ODnSession::Host() const { return sHost; }
int ODnSession::GetDnInfoIter(TDnMessage*) { return kDnFailed; }
bool ODnSession::GetDnInfo(const TDnAskOtherHost&, const TDnShowMessage&) { return false; }
int ODnSession::DownloadJigsaw(const std::string&, const std::string&, TDnMessage*) { return kDnFailed; }
void ODnSession::Stop() { p_bStopDn = true; }
int ODnSession::RunTransfer(const std::string&, const std::string&, int64_t, int, const std::string&,
                            const std::string&, std::string*)
{
    return -2;
}
