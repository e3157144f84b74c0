// set.wav (a piece snaps into place) and win.wav (the puzzle is solved),
// synthesised: 16-bit PCM, mono, 44.1 kHz.
//
// The snap is a short noise click over three damped modes of a small wooden
// block, with a softer second tap as the piece seats. The fanfare is a rising
// marimba arpeggio ending on a chord with a glockenspiel sparkle.
#include "art.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRate = 44100;

std::vector<uint8_t> WavBytes(const std::vector<double>& samples)
{
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i))); };
    auto u16 = [&](uint32_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); };
    auto tag = [&](const char* t) { for (int i = 0; i < 4; ++i) out.push_back(uint8_t(t[i])); };
    tag("RIFF");
    u32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);          // PCM
    u16(1);          // mono
    u32(kRate);
    u32(kRate * 2);  // bytes per second
    u16(2);          // block align
    u16(16);         // bits per sample
    tag("data");
    u32(dataBytes);
    for (double s : samples) {
        const long v = std::lround(std::fmax(-1.0, std::fmin(1.0, s)) * 32767.0);
        u16(uint32_t(uint16_t(int16_t(v))));
    }
    return out;
}

// Scales to the given peak and fades the last few milliseconds to silence.
void Finish(std::vector<double>& s, double peak, double fadeSeconds)
{
    double max = 0;
    for (double v : s) max = std::fmax(max, std::fabs(v));
    const size_t fade = size_t(fadeSeconds * kRate);
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] *= peak / max;
        const size_t left = s.size() - i;
        if (left < fade) s[i] *= double(left) / double(fade);
    }
}

void AddTap(std::vector<double>& s, double t0, double gain, ArtRand& rnd)
{
    struct Mode { double f, tau, amp; };
    const Mode modes[] = {{1180, 0.016, 0.55}, {2710, 0.008, 0.32}, {430, 0.022, 0.28}, {4150, 0.004, 0.18}};
    double prev = 0;
    for (size_t i = size_t(t0 * kRate); i < s.size(); ++i) {
        const double t = double(i) / kRate - t0;
        const double noise = rnd.Uniform(-1, 1);
        double v = (noise - prev) * 0.5 * std::exp(-t / 0.0012);  // differenced: a bright click
        prev = noise;
        for (const Mode& m : modes) v += m.amp * std::sin(2 * M_PI * m.f * t) * std::exp(-t / m.tau);
        s[i] += gain * v * (1 - std::exp(-t / 0.0002));
    }
}

std::vector<double> MakeSnap()
{
    std::vector<double> s(size_t(0.11 * kRate), 0.0);
    ArtRand rnd(0x5E7u);
    AddTap(s, 0.0, 1.0, rnd);
    AddTap(s, 0.013, 0.38, rnd);
    Finish(s, 0.8, 0.01);
    return s;
}

void AddNote(std::vector<double>& s, double t0, double f, double gain, double sustain)
{
    struct Partial { double mul, amp, tau; };
    const Partial partials[] = {{1.0, 1.0, 0.42}, {3.93, 0.32, 0.11}, {9.2, 0.10, 0.035}};
    for (size_t i = size_t(t0 * kRate); i < s.size(); ++i) {
        const double t = double(i) / kRate - t0;
        double v = 0;
        for (const Partial& p : partials)
            v += p.amp * std::sin(2 * M_PI * f * p.mul * t) * std::exp(-t / (p.tau * sustain));
        s[i] += gain * v * (1 - std::exp(-t / 0.003));
    }
}

std::vector<double> MakeFanfare()
{
    std::vector<double> s(size_t(1.35 * kRate), 0.0);
    const double g4 = 392.0, c5 = 523.25, e5 = 659.26, g5 = 783.99, c6 = 1046.5;
    AddNote(s, 0.00, g4, 0.8, 1.0);
    AddNote(s, 0.11, c5, 0.8, 1.0);
    AddNote(s, 0.22, e5, 0.8, 1.0);
    AddNote(s, 0.33, g5, 0.8, 1.0);
    AddNote(s, 0.48, c5, 0.5, 1.8);
    AddNote(s, 0.48, e5, 0.5, 1.8);
    AddNote(s, 0.48, g5, 0.5, 1.8);
    AddNote(s, 0.48, c6, 0.9, 1.8);
    AddNote(s, 0.50, c6 * 2, 0.22, 0.8);  // sparkle an octave up
    AddNote(s, 0.62, g5 * 2, 0.14, 0.8);
    Finish(s, 0.8, 0.08);
    return s;
}

}  // namespace

void GenSounds(ArtOut& out)
{
    out.Bytes("set.wav", WavBytes(MakeSnap()));
    out.Bytes("win.wav", WavBytes(MakeFanfare()));
}
