// The two sounds of the game ("set" when pieces join, "win" when the picture
// is done). Playing never waits, and a missing or broken file never reaches
// the player: Qt's sound effect can stay "loading" for ever on a bad file.
#include "shell/shell.h"

#include "field/field.h"
#include "shell/wav_check.h"

#include <QSoundEffect>
#include <QUrl>

#include <cstdio>
#include <cstring>
#include <vector>
#include <map>
#include <memory>
#include <set>

namespace {

struct TSounds {
    std::map<std::string, std::unique_ptr<QSoundEffect>> effects;  // by name, made at first use
    std::set<std::string> refused;                                  // names reported as unusable
};
TSounds g_sounds;  // per run

}  // namespace

bool CheckWavFile(const std::string& path, std::string* why)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (why)
            *why = "cannot be opened";
        return false;
    }
    // Our sounds are short: anything over 16 MB is not one of them.
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && data.size() <= (16u << 20))
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    if (data.size() > (16u << 20)) {
        if (why)
            *why = "too large for a sound";
        return false;
    }
    return CheckWavBytes(data.data(), data.size(), why);
}

void PlaySoundResource(const std::string& name)
{
    if (g_sounds.refused.count(name))
        return;
    auto it = g_sounds.effects.find(name);
    if (it == g_sounds.effects.end()) {
        const std::string path = FieldResourceDir() + "/" + name + ".wav";
        std::string why;
        if (!CheckWavFile(path, &why)) {
            g_sounds.refused.insert(name);
            Platform().Log("sound " + path + ": " + why + "; not played");
            return;
        }
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
        effect->setVolume(0.8f);
        it = g_sounds.effects.emplace(name, std::move(effect)).first;
    }
    QSoundEffect* e = it->second.get();
    if (e->status() == QSoundEffect::Error)
        return;
    e->stop();
    e->play();
}

void FreeSounds() { g_sounds = TSounds{}; }
