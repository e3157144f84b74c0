// One hardened HTTP(S) GET into a file.
#include "download/dn_transfer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>
#include <QTimer>

ODnTransfer::ODnTransfer(QObject* parent) : QObject(parent) {}
ODnTransfer::~ODnTransfer() = default;

bool ODnTransfer::Start(const TDnRequest&, std::string* why)
{
    if (why)
        *why = "not yet";
    return false;
}

void ODnTransfer::Stop() {}
void ODnTransfer::OnMetaData() {}
void ODnTransfer::OnReadyRead() {}
void ODnTransfer::OnFinished() {}
void ODnTransfer::Fail(const QString&, int) {}
void ODnTransfer::Cleanup() {}
