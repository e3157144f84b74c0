// What the download tests share: the event loop, a jigsaw site made by the
// site tool, and the loopback server with its fault switches.
#pragma once

#include <QProcess>

#include <memory>
#include <string>
#include <vector>

// A QCoreApplication for the transfers' event loop (made once, lives to the end).
void DnEnsureApp();

// A copy of the test site (made once per run by tools/jigsaw-site/make_site.py
// from three generated pictures: "Alpha", "Beta" (large, noisy) and
// "Gamma Ray"; RAR archives) into folder.
void DnCopySite(const std::string& folder);
// The jigsaw file the site holds for a name (what a fetch must give).
std::vector<uint8_t> DnSiteJigsaw(const std::string& name);
inline const char* kDnUser = "player";
inline const char* kDnPassword = "secret";

// tests/download/dn_server.py on 127.0.0.1, stopped with the object.
class DnServer {
public:
    // Serves site with the given switches; false when it did not come up.
    bool Start(const std::string& site, const std::vector<std::string>& args = {});
    ~DnServer();
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    int Port() const { return port_; }
    // The requests seen so far: "PATH auth" or "PATH noauth".
    std::vector<std::string> Requests() const;
private:
    std::unique_ptr<QProcess> proc_;
    std::string log_;
    int port_ = 0;
};
