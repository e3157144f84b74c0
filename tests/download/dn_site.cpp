#include "download/dn_site.h"

#include "support/test_support.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "base/helpers.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

void DnEnsureApp()
{
    static int argc = 1;
    static char name[] = "zivra_download_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

namespace {

// What the site is made of: the site tool, the RAR writer and the jigsaw
// writer of zivra-tool. A site made from other versions is made again.
std::string SiteKey()
{
    std::string key = "pictures-1";
    for (const std::string& p : {SourcePath("tools/jigsaw-site/make_site.py"), SourcePath("tools/jigsaw-site/rar4.py"),
                                 BinPath("zivra-tool")}) {
        std::error_code ec;
        const auto t = fs::last_write_time(p, ec);
        key += " " + std::to_string(ec ? 0 : t.time_since_epoch().count()) + "/" +
               std::to_string(ec ? 0 : fs::file_size(p, ec));
    }
    return key;
}

// Makes the site into folder (pictures/ and site/).
void MakeSite(const std::string& folder)
{
    const std::string pics = folder + "/pictures";
    fs::create_directories(pics);
    std::mt19937 rng(7);
    const struct {
        const char* name;
        int w, h;
        bool noise;
    } list[] = {{"Alpha", 64, 48, false}, {"Beta", 400, 300, true}, {"Gamma Ray", 80, 60, false}};
    for (const auto& p : list) {
        QImage img(p.w, p.h, QImage::Format_RGB32);
        img.fill(QColor(40, 120, 200));
        if (p.noise)
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x)
                    img.setPixel(x, y, rng() & 0xFFFFFFu);
        EXPECT_TRUE(img.save(QString::fromStdString(pics + "/" + p.name + ".png")));
        std::ofstream(pics + "/" + p.name + ".txt") << p.name << ". A test picture.\n";
    }
    std::string out, err;
    const std::string cmd = "python3 '" + SourcePath("tools/jigsaw-site/make_site.py") + "' '" + pics + "' '" +
                            folder + "/site' --format rar --tool '" + BinPath("zivra-tool") + "'";
    EXPECT_EQ(RunCommand(cmd, &out, &err), 0) << out << err;
}

// The site, made once per build tree and kept beside the binaries, so that
// the test processes CTest starts one by one share it. A process that makes
// it writes a folder of its own and renames it into place.
const std::string& SiteFolder()
{
    static std::string folder;
    if (!folder.empty())
        return folder;
    const std::string dir = BinPath("download-test-site");
    const std::string key = SiteKey();
    if (ReadText(dir + "/key") != key) {
        const std::string mine = dir + ".part-" + std::to_string(getpid());
        fs::remove_all(mine);
        MakeSite(mine);
        std::ofstream(mine + "/key") << key;
        std::error_code ec;
        if (ReadText(dir + "/key") != key)
            fs::remove_all(dir, ec);
        fs::rename(mine, dir, ec);  // fails when another process was first: theirs is as good
        fs::remove_all(mine, ec);
    }
    EXPECT_EQ(ReadText(dir + "/key"), key);
    folder = dir;
    return folder;
}

}  // namespace

void DnCopySite(const std::string& folder)
{
    fs::copy(SiteFolder() + "/site", folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::vector<uint8_t> DnSiteJigsaw(const std::string& name)
{
    // The site keeps only archives; a jigsaw is unpacked from its RAR by
    // offset: our writer stores it whole right after its header.
    const std::vector<uint8_t> rar = ReadFileBytes(SiteFolder() + "/site/zivra/jigsaws_bemo/" + name + ".rar");
    const std::string magic = "ZIVRA1.0";
    const auto it = std::search(rar.begin(), rar.end(), magic.begin(), magic.end());
    if (it == rar.end())
        return {};
    // The end-of-archive block takes the last 7 bytes.
    return std::vector<uint8_t>(it, rar.end() - 7);
}

bool DnServer::Start(const std::string& site, const std::vector<std::string>& args)
{
    DnEnsureApp();
    log_ = site + "/../requests-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".log";
    proc_ = std::make_unique<QProcess>();
    QStringList a{QString::fromStdString(SourcePath("tests/download/dn_server.py")), QString::fromStdString(site),
                  "--user", kDnUser, "--password", kDnPassword, "--log", QString::fromStdString(log_)};
    for (const std::string& s : args)
        a << QString::fromStdString(s);
    proc_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_->start("python3", a);
    if (!proc_->waitForStarted(10000))
        return false;
    std::string line;
    while (line.find('\n') == std::string::npos) {
        if (!proc_->waitForReadyRead(10000))
            return false;
        line += proc_->readAll().toStdString();
    }
    const size_t colon = line.find("127.0.0.1:");
    if (colon == std::string::npos)
        return false;
    port_ = std::atoi(line.c_str() + colon + 10);
    return port_ > 0;
}

DnServer::~DnServer()
{
    if (proc_) {
        proc_->kill();
        proc_->waitForFinished(5000);
    }
    DeleteFile(log_);
}

std::vector<std::string> DnServer::Requests() const
{
    std::vector<std::string> lines;
    std::ifstream f(log_);
    for (std::string l; std::getline(f, l);)
        lines.push_back(l);
    return lines;
}
