// The one seam through which the core (model, cutting, files) reaches the user
// and the desktop: messages, questions, the progress bar, sounds, the window's
// title and edited mark, redraw requests and the log.
//
// The window installs its Qt implementation at start-up; tests and zivra-tool
// use RecordingPlatform, which keeps every call for inspection. With nothing
// installed, Platform() answers with a process-wide RecordingPlatform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <deque>

// The redraw request (RedrawP in the play field): what the next frame does.
// Any code that changes what is shown asks for one; the frame that draws
// resets it to kRedrawNone. The values are stored in a byte and fixed.
enum : uint8_t {
    kRedrawNone = 0,     // nothing to draw
    kRedrawFull = 1,     // compose the whole field into the screen buffer and show it
    kRedrawShow = 2,     // show the screen buffer as it is: it is already up to date
    kRedrawOverlay = 3,  // as kRedrawShow; only what is drawn over the field changed
};

class IPlatform {
public:
    virtual ~IPlatform() = default;

    // A message box with one OK button. Blocks until dismissed (the window's one).
    virtual void ShowMessage(const std::string& text) = 0;
    // A question with up to three buttons (empty titles are left out);
    // answers 1, 2 or 3 by button position.
    virtual int ShowQuestion(const std::string& text, const std::string& button1,
                             const std::string& button2, const std::string& button3) = 0;

    // The progress window: shown with a text and a range 0..max, advanced or
    // set, hidden. Each change lets the event loop run for a moment.
    virtual void ProgressShow(const std::string& text, double max) = 0;
    virtual void ProgressInc(double step) = 0;
    virtual void ProgressSet(double pos) = 0;
    virtual void ProgressHide() = 0;

    // Plays a sound resource by name ("set", "win") without blocking.
    virtual void PlaySound(const std::string& name) = 0;

    // The main window's edited mark and its title.
    virtual void SetEdited(bool edited) = 0;
    virtual void SetTitle(const std::string& title) = 0;

    // Asks the play field for a frame: a kRedraw* code.
    virtual void RequestRedraw(int mode) = 0;

    // One diagnostic line for the log (standard error in the Qt build).
    virtual void Log(const std::string& line) = 0;
};

// The platform in use; never null.
IPlatform& Platform();
// Installs p (not owned; must outlive its use). nullptr reinstalls the default recorder.
void SetPlatform(IPlatform* p);

// Every call kept in order, for tests and the command-line tool.
class RecordingPlatform : public IPlatform {
public:
    enum class Kind { Message, Question, ProgressShow, ProgressInc, ProgressSet, ProgressHide,
                      Sound, Edited, Title, Redraw, Log };
    struct Event {
        Kind kind;
        std::string text;  // message, question, progress text, sound name, title, log line
        double value = 0;  // progress max/step/pos, edited 0/1, redraw mode, question answer
    };

    void ShowMessage(const std::string& text) override;
    int ShowQuestion(const std::string& text, const std::string& button1,
                     const std::string& button2, const std::string& button3) override;
    void ProgressShow(const std::string& text, double max) override;
    void ProgressInc(double step) override;
    void ProgressSet(double pos) override;
    void ProgressHide() override;
    void PlaySound(const std::string& name) override;
    void SetEdited(bool edited) override;
    void SetTitle(const std::string& title) override;
    void RequestRedraw(int mode) override;
    void Log(const std::string& line) override;

    // Answers for the coming questions, first in first out; 1 when none is queued.
    void QueueAnswer(int answer) { answers.push_back(answer); }
    // Number of events of one kind, optionally with exactly this text.
    int Count(Kind kind) const;
    int Count(Kind kind, const std::string& text) const;
    // Forgets everything recorded and queued; echo settings stay.
    void Clear();

    std::vector<Event> events;
    std::deque<int> answers;
    bool echoLog = false;       // also write log lines to standard error
    bool echoMessages = false;  // also write messages to standard error
    bool edited = false;        // the edited mark as last set
    std::string title;          // the title as last set
    double progressPos = 0;     // the bar as last set or advanced
    double progressMax = 0;
    bool progressVisible = false;
};

// The process-wide default recorder (what Platform() answers with when
// nothing else is installed).
RecordingPlatform& DefaultRecorder();

// Forgets the default recorder's events and reinstalls it.
void Platform_Reset();
