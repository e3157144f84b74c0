#include "platform/platform.h"

#include <cstdio>

namespace {

struct PlatformState {
    RecordingPlatform recorder;
    IPlatform* current = nullptr;  // null: the recorder
};

PlatformState g_platform;  // per run; Platform_Reset() clears it

PlatformState& State() { return g_platform; }

}  // namespace

IPlatform& Platform()
{
    PlatformState& s = State();
    return s.current ? *s.current : s.recorder;
}

void SetPlatform(IPlatform* p) { State().current = p; }

RecordingPlatform& DefaultRecorder() { return State().recorder; }

void Platform_Reset()
{
    State().current = nullptr;
    State().recorder.Clear();
}

void RecordingPlatform::ShowMessage(const std::string& text)
{
    events.push_back({Kind::Message, text, 0});
    if (echoMessages)
        std::fprintf(stderr, "%s\n", text.c_str());
}

int RecordingPlatform::ShowQuestion(const std::string& text, const std::string&,
                                    const std::string&, const std::string&)
{
    int answer = 1;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    events.push_back({Kind::Question, text, double(answer)});
    return answer;
}

void RecordingPlatform::ProgressShow(const std::string& text, double max)
{
    events.push_back({Kind::ProgressShow, text, max});
    progressVisible = true;
    progressMax = max;
    progressPos = 0;
}

void RecordingPlatform::ProgressInc(double step)
{
    events.push_back({Kind::ProgressInc, {}, step});
    progressPos += step;
}

void RecordingPlatform::ProgressSet(double pos)
{
    events.push_back({Kind::ProgressSet, {}, pos});
    progressPos = pos;
}

void RecordingPlatform::ProgressHide()
{
    events.push_back({Kind::ProgressHide, {}, 0});
    progressVisible = false;
}

void RecordingPlatform::PlaySound(const std::string& name) { events.push_back({Kind::Sound, name, 0}); }

void RecordingPlatform::SetEdited(bool on)
{
    events.push_back({Kind::Edited, {}, on ? 1.0 : 0.0});
    edited = on;
}

void RecordingPlatform::SetTitle(const std::string& t)
{
    events.push_back({Kind::Title, t, 0});
    title = t;
}

void RecordingPlatform::RequestRedraw(int mode) { events.push_back({Kind::Redraw, {}, double(mode)}); }

void RecordingPlatform::Log(const std::string& line)
{
    events.push_back({Kind::Log, line, 0});
    if (echoLog)
        std::fprintf(stderr, "%s\n", line.c_str());
}

int RecordingPlatform::Count(Kind kind) const
{
    int n = 0;
    for (const Event& e : events)
        n += e.kind == kind;
    return n;
}

int RecordingPlatform::Count(Kind kind, const std::string& text) const
{
    int n = 0;
    for (const Event& e : events)
        n += e.kind == kind && e.text == text;
    return n;
}

void RecordingPlatform::Clear()
{
    events.clear();
    answers.clear();
    edited = false;
    title.clear();
    progressPos = progressMax = 0;
    progressVisible = false;
}
