// What the download dialog's tests share: a thumbnails folder and a jigsaws
// folder of their own, JPEG pictures, and a fetcher that plays the network's
// part without one.
#pragma once

#include "download/dialog/dn_form.h"
#include "files/files.h"
#include "support/dialog_wait.h"
#include "support/test_support.h"

#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

// A w x h JPEG at path, patterned so that it is not one flat colour.
inline void WriteJpeg(const std::string& path, int w = 320, int h = 240, int tint = 0)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x + tint) & 255, y & 255, (x * y + tint) & 255));
    ASSERT_TRUE(img.save(QString::fromStdString(path), "JPG"));
}

// A fetcher that "fetches" by writing the jigsaw file, after a wait that the
// event loop turns through (as a real transfer does) and that Stop ends.
class FakeFetcher : public IDnFetcher {
public:
    void SetUi(TDnFetchUi u) override { ui = std::move(u); }
    void ClearCatalogue() override { ++catalogueClears; haveCatalogue = false; }
    bool GetDnInfo() override
    {
        ++catalogueFetches;
        if (stopped)
            return false;
        if (haveCatalogue)
            return true;
        std::string login, password;
        if (!ui.fnCredentials || !ui.fnCredentials(&login, &password))
            return false;
        haveCatalogue = catalogueOk;
        return haveCatalogue;
    }
    int DownloadJigsaw(const std::string& name, const std::string& jigPath) override
    {
        if (stopped || busy)
            return -20;
        std::string login, password;
        if (!ui.fnCredentials || !ui.fnCredentials(&login, &password))
            return -10;
        busy = true;
        attempted.push_back(name);
        if (ui.fnProgress)
            ui.fnProgress(0, 1000);
        if (duringTransfer)
            duringTransfer(name);
        if (waitMs > 0) {
            QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        busy = false;
        if (stopped || failNames.count(name))
            return -20;
        WriteFileBytes(jigPath, fileBytes);
        fetched.push_back(name);
        return 0;
    }
    void Stop() override
    {
        stopped = true;
        loop.quit();
    }
    void ClearStop() override { stopped = false; }
    bool IsDownloading() const override { return busy; }

    TDnFetchUi ui;
    bool catalogueOk = true, haveCatalogue = false, stopped = false, busy = false;
    int catalogueFetches = 0, catalogueClears = 0;
    int waitMs = 0;                                         // how long each transfer takes
    std::set<std::string> failNames;                        // transfers that fail
    std::function<void(const std::string&)> duringTransfer; // runs inside each transfer
    std::vector<std::string> attempted, fetched;
    std::vector<uint8_t> fileBytes{'Z', 'J', 'G'};          // what a fetch writes
    QEventLoop loop;
};

// A per-user folder and a thumbnails folder of our own, and the English texts.
class DnFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UseUserFolder(home.Path()));
        FileNames.sThumbPath = thumbs.Path() + "/";
        ASSERT_TRUE(ReadLangFile(LangMesFile("english")));
        DnLogin_Reset();
    }
    std::string Thumb(const std::string& file) const { return FileNames.sThumbPath + file; }
    std::string Jig(const std::string& name) const { return FileNames.sJigsPath + name + ".zjg"; }
    TempDir home, thumbs;
};
