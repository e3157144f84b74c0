#include "shell/help_form.h"

#include "files/files.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

MCHelp2* g_HelpForm = nullptr;

namespace {

constexpr const char* kEdition = "bemo";

QString Tr(const char* key) { return QString::fromStdString(LangGetKeyVal(key)); }

QIcon HelpIcon(const std::string& resourceDir, const char* name)
{
    const QString base = QString::fromStdString(resourceDir + "/" + name);
    QIcon icon(base + QStringLiteral(".png"));
    if (QFileInfo::exists(base + QStringLiteral("@2x.png")))
        icon.addFile(base + QStringLiteral("@2x.png"));
    return icon;
}

QToolButton* AddButton(QHBoxLayout* row, QWidget* parent, const QIcon& icon)
{
    auto* b = new QToolButton(parent);
    b->setIcon(icon);
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    row->addWidget(b);
    return b;
}

}  // namespace

std::string HelpTopicPath(const std::string& topic)
{
    const std::string page = topic.empty() ? std::string("cont-") + kEdition : topic;
    return FileNames.sLangPath + LangP.sCurLang + "-help/" + page + ".htm";
}

QUrl HelpFileUrl(const std::string& path)
{
    return QUrl::fromLocalFile(QString::fromStdString(path));
}

void ShowHelpTopic(const std::string& topic)
{
    CreateHelpForm();
    g_HelpForm->loadStringUrl(HelpTopicPath(topic));
    g_HelpForm->ShowForm();
}

// ---- The page view ----------------------------------------------------------------------

void OHelpView::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    emit loadStarted(name);
    // Only local pages are loaded here; a page that cannot be read keeps the
    // view from showing a stale page under the new address.
    if (name.isLocalFile()) {
        QFile f(name.toLocalFile());
        if (!f.open(QIODevice::ReadOnly)) {
            document()->setHtml(QString());
            emit loadFailed(QStringLiteral("The page “%1” could not be opened: %2")
                                .arg(QFileInfo(f.fileName()).fileName(), f.errorString()));
            return;
        }
    }
    QTextBrowser::doSetSource(name, type);  // sourceChanged reports the page
}

// ---- The panel --------------------------------------------------------------------------

MCHelp2::MCHelp2(const std::string& resourceDir) : QWidget(nullptr, Qt::Window)
{
    resize(780, 640);
    setAttribute(Qt::WA_QuitOnClose, false);  // an open help panel never keeps the game running
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    o_ButBack = AddButton(row, this, HelpIcon(resourceDir, "hb_back"));
    o_ButForward = AddButton(row, this, HelpIcon(resourceDir, "hb_forward"));
    o_ButBack->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    o_ButForward->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    o_ButContents = AddButton(row, this, HelpIcon(resourceDir, "hb_cont"));
    o_ButFontInc = AddButton(row, this, HelpIcon(resourceDir, "hb_font_inc"));
    o_ButFontDec = AddButton(row, this, HelpIcon(resourceDir, "hb_font_dec"));
    row->addStretch(1);
    o_ButClose = new QToolButton(this);
    o_ButClose->setText(QStringLiteral("X"));
    row->addWidget(o_ButClose);

    webView = new OHelpView(this);
    webView->setOpenExternalLinks(true);  // outside addresses go to the desktop's browser
    column->addWidget(webView, 1);

    o_ButBack->setEnabled(false);
    o_ButForward->setEnabled(false);
    connect(o_ButBack, &QToolButton::clicked, webView, &QTextBrowser::backward);
    connect(o_ButForward, &QToolButton::clicked, webView, &QTextBrowser::forward);
    connect(o_ButContents, &QToolButton::clicked, this, &MCHelp2::ButContentsPressed);
    connect(o_ButFontInc, &QToolButton::clicked, this, [this] { webView->zoomIn(1); });
    connect(o_ButFontDec, &QToolButton::clicked, this, [this] { webView->zoomOut(1); });
    connect(o_ButClose, &QToolButton::clicked, this, &MCHelp2::ButClosePressed);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &MCHelp2::ButClosePressed);

    connect(webView, &OHelpView::loadStarted, this, [this](const QUrl& u) {
        frameStatus = QStringLiteral("Loading...");
        url = u.toString();
        UpdateTitle();
    });
    connect(webView, &QTextBrowser::sourceChanged, this, [this] {
        docTitle = webView->documentTitle();
        frameStatus.clear();
        UpdateTitle();
        o_ButBack->setEnabled(webView->isBackwardAvailable());
        o_ButForward->setEnabled(webView->isForwardAvailable());
    });
    connect(webView, &OHelpView::loadFailed, this, [this](const QString& why) {
        docTitle.clear();
        frameStatus = why;
        UpdateTitle();
    });
    connect(webView, &QTextBrowser::backwardAvailable, o_ButBack, &QToolButton::setEnabled);
    connect(webView, &QTextBrowser::forwardAvailable, o_ButForward, &QToolButton::setEnabled);
    TranslateForm();
}

QString MCHelp2::WindowTitleText() const
{
    if (!frameStatus.isEmpty())
        return docTitle + QStringLiteral(":  ") + frameStatus;
    return docTitle;
}

void MCHelp2::UpdateTitle() { setWindowTitle(WindowTitleText()); }

void MCHelp2::ShowForm()
{
    show();
    raise();
    activateWindow();
}

void MCHelp2::HideForm() { hide(); }

void MCHelp2::TranslateForm()
{
    o_ButBack->setText(Tr("B_Back"));
    o_ButForward->setText(Tr("B_Forward"));
    o_ButContents->setToolTip(Tr("B_Cont"));
    o_ButFontInc->setToolTip(Tr("B_FontInc"));
    o_ButFontDec->setToolTip(Tr("B_FontDec"));
    if (isVisible())
        loadStringUrl(HelpTopicPath(""));
}

void MCHelp2::loadStringUrl(const std::string& path) { loadURL(HelpFileUrl(path)); }

void MCHelp2::loadURL(const QUrl& u) { webView->setSource(u); }

void MCHelp2::ButContentsPressed() { ShowHelpTopic(""); }

void MCHelp2::ButClosePressed() { HideForm(); }

void CreateHelpForm()
{
    if (g_HelpForm)
        return;
    g_HelpForm = new MCHelp2(FileNames.sResourcePath);
    // A language change retitles the panel too (and reloads its contents page).
    auto previous = LangP.fnRetitle;
    LangP.fnRetitle = [previous] {
        if (previous)
            previous();
        if (g_HelpForm)
            g_HelpForm->TranslateForm();
    };
}

void FreeHelpForm()
{
    delete g_HelpForm;
    g_HelpForm = nullptr;
}
