#include "shell/about_form.h"

#include "files/files.h"
#include "shell/shell.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstring>

#ifndef ZIVRA_VERSION
#define ZIVRA_VERSION "1.0"
#endif

const char* const sAboutAuthor = "Made by the Zivra Jigsaw team";
const char* const sAboutHome = "www.zivra-games.example";
const char* const sAboutEmail = "support@zivra-games.example";

namespace {

constexpr int kAboutW = 370, kAboutH = 320;
constexpr int kFirstLineTop = 146;  // the cream panel of the picture
constexpr int kLineStep = 34;
constexpr int kLineH = 24;

}  // namespace

std::string AboutVersionText() { return std::string("Linux Version ") + ZIVRA_VERSION; }

std::string AboutDateText()
{
    // __DATE__ is "Mmm dd yyyy", the day padded with a space.
    static const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
    const char* d = __DATE__;
    int month = 0;
    for (int i = 0; i < 12; ++i)
        if (std::strncmp(d, kMonths[i], 3) == 0)
            month = i;
    int day = 0, year = 0;
    std::sscanf(d + 3, "%d %d", &day, &year);
    char out[40];
    std::snprintf(out, sizeof out, "%s %d, %d", kMonths[month], day, year);
    return out;
}

// ---- The window ---------------------------------------------------------------------------

MCAboutSplashWindow::MCAboutSplashWindow(MCAbout* owner)
    : QDialog(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog), owner_(owner)
{
    setFixedSize(kAboutW, kAboutH);
    setWindowTitle(QString::fromLatin1(sMainCaption));
}

void MCAboutSplashWindow::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    owner_->ButOkPressed();
}

void MCAboutSplashWindow::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
        e->accept();
        owner_->ButOkPressed();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool MCAboutSplashWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::Show && owner_->p_IsSplash && watched != this && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->isModal())
            hide();
    }
    return QDialog::eventFilter(watched, e);
}

void MCAboutSplashWindow::closeEvent(QCloseEvent* e)
{
    // The splash goes only when start-up hides it.
    if (owner_->p_IsSplash)
        e->ignore();
    else
        QDialog::closeEvent(e);
}

// ---- The form -----------------------------------------------------------------------------

MCAbout::~MCAbout()
{
    HideForm();
    delete o_Window;
}

void MCAbout::InitForm(const std::string& resourceDir)
{
    o_Window = new MCAboutSplashWindow(this);
    o_Image = new QLabel(o_Window);
    o_Image->setGeometry(0, 0, kAboutW, kAboutH);
    const QPixmap pic(QString::fromStdString(resourceDir + "/about_bemo.gif"));
    if (pic.isNull()) {
        std::fprintf(stderr, "about box: no picture %s/about_bemo.gif\n", resourceDir.c_str());
        o_Window->setStyleSheet(QStringLiteral("background: #f4eedc;"));
    } else {
        o_Image->setPixmap(pic);
        if (pic.hasAlphaChannel())
            o_Window->setMask(pic.mask());  // round corners without a compositor
    }
    QLabel** lines[5] = {&o_Version, &o_Author, &o_Home, &o_Email, &o_Date};
    const std::string texts[5] = {AboutVersionText(), sAboutAuthor, sAboutHome, sAboutEmail, AboutDateText()};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(QString::fromStdString(texts[i]), o_Window);
        QFont f = l->font();
        f.setPointSize(15);
        l->setFont(f);
        l->setAlignment(Qt::AlignCenter);
        l->setStyleSheet(QStringLiteral("color: #3a2a18; background: transparent;"));
        l->setGeometry(0, kFirstLineTop + i * kLineStep, kAboutW, kLineH);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        *lines[i] = l;
    }
    o_Image->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MCAbout::ShowForm(bool isSplash)
{
    if (!o_Window)
        return;
    p_IsSplash = isSplash;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QPoint c = s->availableGeometry().center();
        o_Window->move(c.x() - kAboutW / 2, c.y() - kAboutH / 2);
    }
    if (isSplash) {
        o_Window->setModal(false);
        qApp->installEventFilter(o_Window);
        o_Window->show();
        o_Window->raise();
        MainLoopRun(0.01);  // drawn at once, then start-up goes on
        return;
    }
    o_Window->exec();
    o_Window->hide();
}

void MCAbout::HideForm()
{
    if (!o_Window)
        return;
    if (p_IsSplash)
        qApp->removeEventFilter(o_Window);
    p_IsSplash = false;
    o_Window->hide();
}

void MCAbout::ButOkPressed()
{
    if (p_IsSplash || !o_Window)
        return;
    o_Window->accept();
}

// ---- Credits ------------------------------------------------------------------------------

std::string CreditsText(const std::string& resourceDir)
{
    std::string text =
        "Thanks to everyone who plays, tests and translates Zivra Jigsaw, and to the people behind "
        "Debian, Qt and Mesa, on which it runs.\n\n";
    QFile f(QString::fromStdString(resourceDir + "/CREDITS"));
    if (f.open(QIODevice::ReadOnly | QIODevice::Text))
        text += QString::fromUtf8(f.read(256 * 1024)).toStdString();
    else
        text += "(The list of sources, resources/CREDITS, is missing.)\n";
    return text;
}

MCCredits::MCCredits(QWidget* parent) : QDialog(parent) {}

void MCCredits::InitForm(const std::string& resourceDir)
{
    auto* layout = new QVBoxLayout(this);
    o_Thanks = new QLabel(this);
    QFont bold = o_Thanks->font();
    bold.setBold(true);
    o_Thanks->setFont(bold);
    o_Names = new QPlainTextEdit(this);
    o_Names->setReadOnly(true);
    o_Names->setLineWrapMode(QPlainTextEdit::NoWrap);
    o_Names->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    o_Names->setPlainText(QString::fromStdString(CreditsText(resourceDir)));
    o_ButOk = new QPushButton(this);
    o_ButOk->setDefault(true);  // Return
    connect(o_ButOk, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(o_Thanks);
    layout->addWidget(o_Names, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(o_ButOk);
    layout->addLayout(row);
    resize(640, 480);
    TranslateForm();
}

void MCCredits::ShowForm() { exec(); }

void MCCredits::TranslateForm()
{
    setWindowTitle(QString::fromStdString(LangGetKeyVal("Credits_FormCaption")));
    if (o_Thanks)
        o_Thanks->setText(QString::fromStdString(LangGetKeyVal("L_Thanks")));
    if (o_ButOk)
        o_ButOk->setText(QString::fromStdString(LangGetKeyVal("B_Ok")));
}

void MCCredits::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        TranslateForm();
    QDialog::changeEvent(e);
}
