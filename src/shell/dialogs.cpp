// The dialog toolkit: message boxes, short runs of the event loop, and the
// progress window.
#include "shell/shell.h"

#include "files/files.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <memory>

const char* const sMainCaption = "Zivra Jigsaw";

namespace {

// The progress window (per run: made at the first use, freed at shutdown).
struct TProgressForm {
    QPointer<QDialog> o_Window;  // a child of the main window: it may go first
    QLabel* o_Label = nullptr;
    QProgressBar* o_Progress = nullptr;
    double p_Max = 100;
    double p_Val = 0;  // the last shown value
};

struct TShellDialogs {
    QPointer<QWidget> parent;
    bool bNonInteractive = false;
    bool bQuietProgress = false;  // no progress window (an open behind the splash)
    TProgressForm progress;
};
TShellDialogs g_dialogs;  // per run

constexpr int kBarSteps = 1000;  // resolution of the bar

// A translated button title: the language file's text, or the plain English
// one while no language file has been read.
QString ButtonTitle(const char* key, const char* english)
{
    const std::string v = LangGetKeyVal(key);
    return v == key ? QString::fromLatin1(english) : QString::fromStdString(v);
}

// A button title with a keyboard mnemonic: its first letter or digit not
// taken by an earlier button of the box (`taken`, lower case), unless the
// title already names one.
QString WithMnemonic(const std::string& title, QString* taken)
{
    QString t = QString::fromStdString(title);
    if (t.contains(QLatin1Char('&')))
        return t;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i].toLower();
        if (c.isLetterOrNumber() && !taken->contains(c)) {
            taken->append(c);
            return t.left(i) + QLatin1Char('&') + t.mid(i);
        }
    }
    return t;
}

void MakeProgressForm()
{
    TProgressForm& p = g_dialogs.progress;
    if (p.o_Window)
        return;
    p.o_Window = new QDialog(g_dialogs.parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    p.o_Window->setWindowTitle(QString::fromLatin1(sMainCaption));
    p.o_Window->setFixedSize(345, 81);
    p.o_Window->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(p.o_Window.data());
    layout->setContentsMargins(18, 10, 18, 14);
    p.o_Label = new QLabel(p.o_Window.data());
    QFont f = p.o_Label->font();
    f.setPixelSize(14);
    p.o_Label->setFont(f);
    p.o_Progress = new QProgressBar(p.o_Window.data());
    p.o_Progress->setFixedSize(309, 20);
    p.o_Progress->setTextVisible(false);
    p.o_Progress->setRange(0, kBarSteps);
    layout->addWidget(p.o_Label);
    layout->addWidget(p.o_Progress);
}

void ShowProgressValue(double v)
{
    TProgressForm& p = g_dialogs.progress;
    p.p_Val = v;
    if (!p.o_Window || g_dialogs.bQuietProgress)
        return;
    const double frac = p.p_Max > 0 ? std::clamp(v / p.p_Max, 0.0, 1.0) : 0.0;
    p.o_Progress->setValue(int(frac * kBarSteps));
    p.o_Progress->repaint();
    MainLoopRun(0.001);
}

}  // namespace

QWidget* DialogParent() { return g_dialogs.parent; }
void SetDialogParent(QWidget* w) { g_dialogs.parent = w; }

// ---- Message boxes ----------------------------------------------------------------------------

void SetNonInteractive(bool on) { g_dialogs.bNonInteractive = on; }
bool IsNonInteractive() { return g_dialogs.bNonInteractive; }
void SetProgressQuiet(bool on) { g_dialogs.bQuietProgress = on; }

void ShowMessage(const std::string& text)
{
    if (g_dialogs.bNonInteractive) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    QMessageBox box(g_dialogs.parent);
    box.setWindowTitle(QString::fromLatin1(sMainCaption));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.addButton(ButtonTitle("B_Ok", "OK"), QMessageBox::AcceptRole);
    box.exec();
}

int ShowQuestion(const std::string& text, const std::string& button1, const std::string& button2,
                 const std::string& button3)
{
    if (g_dialogs.bNonInteractive) {
        std::fprintf(stderr, "%s -> %s\n", text.c_str(), button2.c_str());
        return 2;
    }
    QMessageBox box(g_dialogs.parent);
    box.setWindowTitle(QString::fromLatin1(sMainCaption));
    box.setIcon(QMessageBox::Question);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    QAbstractButton* buttons[3] = {nullptr, nullptr, nullptr};
    const std::string* titles[3] = {&button1, &button2, &button3};
    const QMessageBox::ButtonRole roles[3] = {QMessageBox::YesRole, QMessageBox::NoRole, QMessageBox::RejectRole};
    QString taken;
    for (int i = 0; i < 3; ++i)
        if (!titles[i]->empty())
            buttons[i] = box.addButton(WithMnemonic(*titles[i], &taken), roles[i]);
    if (buttons[0])
        box.setDefaultButton(static_cast<QPushButton*>(buttons[0]));
    // Escape answers with the last button: cancel when there is one, else no.
    for (int i = 2; i >= 1; --i)
        if (buttons[i]) {
            box.setEscapeButton(buttons[i]);
            break;
        }
    box.exec();
    MainLoopRun(0.1);
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == buttons[0])
        return 1;
    if (clicked && clicked == buttons[1])
        return 2;
    return 3;
}

void MainLoopRun(double seconds)
{
    if (!QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer::singleShot(std::max(0, int(seconds * 1000.0 + 0.5)), &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- Progress window -------------------------------------------------------------------------

void ProgressShowBar(const std::string& text, double max)
{
    if (g_dialogs.bQuietProgress) {
        g_dialogs.progress.p_Max = max;
        g_dialogs.progress.p_Val = 0;
        return;
    }
    MakeProgressForm();
    TProgressForm& p = g_dialogs.progress;
    p.p_Max = max;
    p.o_Label->setText(QString::fromStdString(text));
    p.o_Progress->setValue(0);
    if (QWidget* parent = g_dialogs.parent; parent && parent->isVisible()) {
        const QPoint c = parent->geometry().center();
        p.o_Window->move(c.x() - p.o_Window->width() / 2, c.y() - p.o_Window->height() / 2);
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QPoint c = s->availableGeometry().center();
        p.o_Window->move(c.x() - p.o_Window->width() / 2, c.y() - p.o_Window->height() / 2);
    }
    p.o_Window->show();
    p.o_Window->raise();
    ShowProgressValue(0);
}

void ProgressSetPos(double v) { ShowProgressValue(v); }
void ProgressIncPos(double dv) { ShowProgressValue(g_dialogs.progress.p_Val + dv); }
double ProgressPos() { return g_dialogs.progress.p_Val; }

void ProgressHideBar()
{
    if (g_dialogs.progress.o_Window)
        g_dialogs.progress.o_Window->hide();
}

bool ProgressVisible()
{
    return g_dialogs.progress.o_Window && g_dialogs.progress.o_Window->isVisible();
}

void FreeProgressForm()
{
    delete g_dialogs.progress.o_Window.data();
    g_dialogs.progress = TProgressForm{};
}

void ShellDialogs_Reset()
{
    FreeProgressForm();
    g_dialogs = TShellDialogs{};
}
