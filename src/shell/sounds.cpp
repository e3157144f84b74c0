// The two sounds of the game ("set" when pieces join, "win" when the picture
// is done). Playing never waits, and a missing or broken file never reaches
// the player: Qt's sound effect can stay "loading" for ever on a bad file.
#include "shell/shell.h"

#include "field/field.h"

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

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool Fail(std::string* why, const char* text)
{
    if (why)
        *why = text;
    return false;
}

}  // namespace

bool CheckWavFile(const std::string& path, std::string* why)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return Fail(why, "cannot be opened");
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && data.size() < (64u << 20))
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    if (data.size() < 44 || std::memcmp(data.data(), "RIFF", 4) != 0 || std::memcmp(data.data() + 8, "WAVE", 4) != 0)
        return Fail(why, "not a RIFF/WAVE file");
    bool haveFmt = false;
    size_t pos = 12;
    while (pos + 8 <= data.size()) {
        const uint8_t* c = data.data() + pos;
        const uint64_t size = Le32(c + 4);
        if (pos + 8 + size > data.size())
            return Fail(why, "a chunk runs past the end of the file");
        if (std::memcmp(c, "fmt ", 4) == 0) {
            if (size < 16)
                return Fail(why, "short format chunk");
            const uint16_t format = Le16(c + 8), channels = Le16(c + 10), bits = Le16(c + 22);
            const uint32_t rate = Le32(c + 12);
            if (format != 1)
                return Fail(why, "not PCM");
            if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < 8000 || rate > 192000)
                return Fail(why, "unusual channels, depth or rate");
            haveFmt = true;
        } else if (std::memcmp(c, "data", 4) == 0) {
            if (!haveFmt)
                return Fail(why, "data before the format chunk");
            if (size == 0)
                return Fail(why, "no samples");
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return Fail(why, haveFmt ? "no data chunk" : "no format chunk");
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
