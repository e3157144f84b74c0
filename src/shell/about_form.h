// MCAbout: the about box, which is also the start-up splash. A frameless
// 370 x 320 window with our picture and five lines (version, author, home
// site, e-mail, build date). From the menu it runs modally and a click
// anywhere (or Return) closes it; as the splash it stays up, ignoring
// clicks, until start-up hides it.
//
// Lifetime: made for each use; the splash lives from launch until the
// start-up sequence hides it.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class MCAbout;

// The splash window: frameless, shaped by the picture's transparent corners.
class MCAboutSplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit MCAboutSplashWindow(MCAbout* owner);

    // While the splash is up, a message or question that start-up shows
    // must not be hidden under it: the splash steps aside.
    bool eventFilter(QObject* watched, QEvent* e) override;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    MCAbout* owner_;
};

class MCAbout {
public:
    MCAbout() = default;
    ~MCAbout();
    MCAbout(const MCAbout&) = delete;
    MCAbout& operator=(const MCAbout&) = delete;

    // Builds the window from "<resources>/about_bemo.gif" and the texts.
    void InitForm(const std::string& resourceDir);
    // Centres the window on the screen; as the splash it shows and returns at
    // once, otherwise it runs modally until closed.
    void ShowForm(bool isSplash);
    // Ends the splash and closes the window.
    void HideForm();
    // A click or Return: closes the box, but never the splash.
    void ButOkPressed();

    MCAboutSplashWindow* o_Window = nullptr;  // owned
    QLabel* o_Image = nullptr;
    QLabel* o_Version = nullptr;
    QLabel* o_Author = nullptr;
    QLabel* o_Home = nullptr;
    QLabel* o_Email = nullptr;
    QLabel* o_Date = nullptr;
    bool p_IsSplash = false;
};

// "Linux Version <x.y>" of the build.
std::string AboutVersionText();
// The build date as "December 5, 2023".
std::string AboutDateText();
// Our own lines of the box.
extern const char* const sAboutAuthor;
extern const char* const sAboutHome;
extern const char* const sAboutEmail;

// MCCredits: whom we thank and where the bundled pictures and artwork come
// from (the text of resources/CREDITS), with one OK button. Made for each use.
class MCCredits : public QDialog {
    Q_OBJECT
public:
    explicit MCCredits(QWidget* parent = nullptr);
    // Builds the dialog; the sources come from "<resources>/CREDITS".
    void InitForm(const std::string& resourceDir);
    // Runs modally until OK (or Return, or Escape).
    void ShowForm();
    // Texts from the language file.
    void TranslateForm();

    QPushButton* o_ButOk = nullptr;
    QLabel* o_Thanks = nullptr;
    QPlainTextEdit* o_Names = nullptr;

protected:
    void changeEvent(QEvent* e) override;
};

// What the credits list: our thanks, then the sources and licences.
std::string CreditsText(const std::string& resourceDir);
