// The download facade: fetching more jigsaws from a download site.
//
//   dn_catalogue.h  the catalogue "info.dat", DnInfo, the site's addresses
//   dn_transfer.h   one hardened HTTP(S) GET into a file (Qt Network)
//   dn_unpack.h     the archive's first file, checked, renamed over the target (libarchive)
//   dn_session.h    the runs the dialog and `zivra-tool fetch` drive: GetDnInfoIter,
//                   GetDnInfo, DownloadJigsaw, Stop, progress signals
//
// The host tables (sDnSrcAr, FindDnSrcIndByAddr, DnSrcProtocolPrefix(host),
// DnSrcIsLoopback) live with the settings in files/settings.h, which the
// settings' defaults need; they are reached through this header too.
//
// Headless fetch, as `zivra-tool fetch` does it (a QCoreApplication exists):
//     ODnSession s;
//     s.sHost = "127.0.0.1:8080"; s.sWorkDir = outDir;
//     s.fnCheckLoginPassword = [&](std::string* l, std::string* p) { *l = user; *p = pass; return true; };
//     TDnMessage m;
//     int r = s.GetDnInfoIter(&m);
//     if (r == kDnOk) r = s.DownloadJigsaw(name, outDir + "/" + name + ".zjg", &m);
//     if (r != kDnOk) print(m.Text());
#pragma once

#include "download/dn_catalogue.h"
#include "download/dn_session.h"
#include "download/dn_transfer.h"
#include "download/dn_unpack.h"
#include "files/files.h"

// Clears the per-run records of the downloads (DnInfo).
void Download_Reset();
