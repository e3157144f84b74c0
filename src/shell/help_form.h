// The help browser: a long-lived panel showing the HTML pages of the current
// language's help folder (<language folder>/<language>-help/<topic>.htm),
// with back, forward, contents, larger and smaller text, and close.
//
// Lifetime: g_HelpForm lives per run (made on first use or by CreateHelpForm,
// freed by FreeHelpForm); it keeps its page and history between uses.
#pragma once

#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <string>

class QToolButton;

// The page file of a topic in the current language; an empty topic is the
// contents page "cont-bemo".
std::string HelpTopicPath(const std::string& topic);
// A local file as a URL the view can load: spaces and every other character
// that means something in a URL ('#', '%', '?') are escaped.
QUrl HelpFileUrl(const std::string& path);
// Opens the help panel on a topic ("" for the contents) and brings it to the front.
void ShowHelpTopic(const std::string& topic);

// The page view: reports the start and the failure of a page load; the view's
// sourceChanged reports a page shown (also on going back and forward).
class OHelpView : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;
signals:
    void loadStarted(const QUrl& url);
    void loadFailed(const QString& description);
protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
};

class MCHelp2 : public QWidget {
    Q_OBJECT
public:
    explicit MCHelp2(const std::string& resourceDir);
    void ShowForm();                        // shows the panel, in front, with the focus
    void HideForm();
    void TranslateForm();                   // texts; reloads the contents when visible
    void loadStringUrl(const std::string& path);  // a local file
    void loadURL(const QUrl& url);
    void ButContentsPressed();
    void ButClosePressed();
    QString WindowTitleText() const;        // "title:  status" while a status is set

    OHelpView* webView = nullptr;
    QToolButton* o_ButBack = nullptr;
    QToolButton* o_ButForward = nullptr;
    QToolButton* o_ButClose = nullptr;
    QToolButton* o_ButContents = nullptr;
    QToolButton* o_ButFontInc = nullptr;
    QToolButton* o_ButFontDec = nullptr;
    QString docTitle;      // title of the page shown
    QString frameStatus;   // "Loading..." or a load error; "" once loaded
    QString url;           // address of the last page asked for

private:
    void UpdateTitle();
};

extern MCHelp2* g_HelpForm;
void CreateHelpForm();   // makes g_HelpForm once; chains the language retitle hook
void FreeHelpForm();
