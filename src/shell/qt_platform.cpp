#include "shell/shell.h"

#include "field/compose.h"

#include <QWidget>

#include <cstdio>

namespace {
QtPlatform g_qtPlatform;  // per run; stateless
}

QtPlatform& TheQtPlatform() { return g_qtPlatform; }

void QtPlatform::ShowMessage(const std::string& text) { ::ShowMessage(text); }

int QtPlatform::ShowQuestion(const std::string& text, const std::string& button1, const std::string& button2,
                             const std::string& button3)
{
    return ::ShowQuestion(text, button1, button2, button3);
}

void QtPlatform::ProgressShow(const std::string& text, double max) { ProgressShowBar(text, max); }
void QtPlatform::ProgressInc(double step) { ProgressIncPos(step); }
void QtPlatform::ProgressSet(double pos) { ProgressSetPos(pos); }
void QtPlatform::ProgressHide() { ProgressHideBar(); }
void QtPlatform::PlaySound(const std::string& name) { PlaySoundResource(name); }

void QtPlatform::SetEdited(bool edited)
{
    if (QWidget* w = DialogParent())
        w->setWindowModified(edited);
}

void QtPlatform::SetTitle(const std::string& title)
{
    // "[*]" is where Qt shows the edited mark.
    if (QWidget* w = DialogParent())
        w->setWindowTitle(QString::fromStdString(title.empty() ? std::string(sMainCaption) : title) +
                          QStringLiteral("[*]"));
}

// Whoever asks last knows best: a show (2) is asked right after the screen
// buffer was brought up to date, which makes an earlier full request moot.
void QtPlatform::RequestRedraw(int mode) { RedrawP = uint8_t(mode); }

void QtPlatform::Log(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }
