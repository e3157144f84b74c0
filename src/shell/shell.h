// The application shell's facade: the dialog toolkit (message boxes, the
// progress window, short runs of the event loop), the sounds, the Qt
// implementation of the platform seam, and the main form.
//
// Everything runs on the main thread. Long work (cutting, loading, saving)
// runs inside the command that asked for it; the progress window keeps the
// window responsive by letting the event loop turn for a moment at every step.
#pragma once

#include "platform/platform.h"

#include <QString>

#include <string>

class QWidget;
class MCMainForm;

// ---- Dialog toolkit -----------------------------------------------------------------------
// The caption of the program's windows and message boxes.
extern const char* const sMainCaption;  // "Zivra Jigsaw"
// A modal message with one "OK" button (translated); the text is shown as it
// stands (no format, no markup).
void ShowMessage(const std::string& text);
// A modal question with a button for each non-empty title, in order; answers
// 1 for the first, 2 for the second, 3 for any other.
int ShowQuestion(const std::string& text, const std::string& button1, const std::string& button2,
                 const std::string& button3);
// Unattended runs (screenshots): messages go to standard error and questions
// answer 2 (the second button) without showing anything.
void SetNonInteractive(bool on);
bool IsNonInteractive();
// While on, long work shows no progress window (a modal window would send
// the splash away; behind the splash the player waits anyway).
void SetProgressQuiet(bool on);
// Lets the event loop run for `seconds` (after a modal dialog, during long work).
void MainLoopRun(double seconds);
// The widget message boxes and the progress window belong to (may be null).
QWidget* DialogParent();
void SetDialogParent(QWidget* w);

// ---- Progress window ----------------------------------------------------------------------
void ProgressShowBar(const std::string& text, double max);
void ProgressSetPos(double v);
void ProgressIncPos(double dv);
double ProgressPos();
void ProgressHideBar();
bool ProgressVisible();
void FreeProgressForm();

// ---- Sounds --------------------------------------------------------------------------------
// True when the file is a plain PCM WAV we trust Qt with (RIFF/WAVE, a PCM fmt
// chunk of 1 or 2 channels, 8 or 16 bits, 8..192 kHz, a data chunk inside the
// file). A file that fails never reaches the sound player.
bool CheckWavFile(const std::string& path, std::string* why);
// Plays "<resources>/<name>.wav" without waiting; nothing (a log line once)
// when it is missing or broken.
void PlaySoundResource(const std::string& name);
void FreeSounds();

// ---- The platform seam -------------------------------------------------------------------
// Messages, questions, progress, sounds, the main window's title and edited
// mark, redraw requests and the log, through the widgets above.
class QtPlatform : public IPlatform {
public:
    void ShowMessage(const std::string& text) override;
    int ShowQuestion(const std::string& text, const std::string& button1, const std::string& button2,
                     const std::string& button3) override;
    void ProgressShow(const std::string& text, double max) override;
    void ProgressInc(double step) override;
    void ProgressSet(double pos) override;
    void ProgressHide() override;
    void PlaySound(const std::string& name) override;
    void SetEdited(bool edited) override;
    void SetTitle(const std::string& title) override;
    void RequestRedraw(int mode) override;
    void Log(const std::string& line) override;
};
QtPlatform& TheQtPlatform();

// Resets the shell's records (tests).
void Shell_Reset();
