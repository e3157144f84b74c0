// MCDownload: building the dialog, showing and closing it, the modes and
// their walks, Stop, and the preview.
#include "download/dialog/dn_form.h"

#include "files/files.h"
#include "model/game_state.h"
#include "model/play_rules.h"
#include "model/puzzle.h"
#include "platform/platform.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

MCDownload* g_DnForm = nullptr;

namespace {

QString Tr(const std::string& key) { return QString::fromStdString(LangGetKeyVal(key)); }
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string Say(const std::string& key, const std::vector<LangArg>& args)
{
    return LangFormat(CaretMesFormat(key), args);
}

// A dialog picture of the resource folder, with its @2x twin when there is one.
QIcon ResourceIcon(const std::string& name)
{
    const QString base = Q(FileNames.sResourcePath + "/" + name);
    QIcon icon(base + QStringLiteral(".png"));
    if (QFileInfo::exists(base + QStringLiteral("@2x.png")))
        icon.addFile(base + QStringLiteral("@2x.png"));
    return icon;
}

// The default road to the first jigsaw fetched: no piece stays selected, and
// the open dialog comes up preset to it.
void OpenJigsawThroughFiles(const std::string& jigsaw)
{
    if (DragJigP.bSelected)
        DeselectJigs();
    DialogOpenGameFile(jigsaw, false);
}

}  // namespace

// ---- Pure rules ------------------------------------------------------------------------------

std::string DnModeProblem(const std::vector<ODnListThumb>& list, int mode, int sel)
{
    if (list.empty())
        return "MS_ListEmpty";
    if (mode == kDnModeNew && std::none_of(list.begin(), list.end(), [](const ODnListThumb& t) { return t.bNewJig; }))
        return "MS_NoNewJigs";
    if (mode == kDnModeSelected && (sel < 0 || sel >= int(list.size())))
        return "MS_SelJigsaw";
    return {};
}

std::vector<int> DnWalkEntries(const std::vector<ODnListThumb>& list, int mode)
{
    std::vector<int> out;
    for (int i = 0; i < int(list.size()); ++i)
        if (mode != kDnModeNew || list[size_t(i)].bNewJig)
            out.push_back(i);
    return out;
}

// ---- Creation ----------------------------------------------------------------------------------

MCDownload* CreateDownloadForm(QWidget* parent, std::unique_ptr<IDnFetcher> fetcher)
{
    if (!g_DnForm)
        g_DnForm = new MCDownload(parent, fetcher ? std::move(fetcher) : MakeSessionFetcher());
    return g_DnForm;
}

void FreeDownloadForm()
{
    delete g_DnForm;  // the destructor clears the reference
}

MCDownload::MCDownload(QWidget* parent, std::unique_ptr<IDnFetcher> fetcher)
    : QDialog(parent), p_Store(MakeKeychainStore()), p_Fetcher(std::move(fetcher))
{
    setModal(true);
    setSizeGripEnabled(true);
    setMinimumSize(kDnFormMinW, kDnFormMinH);
    resize(std::max(iMaxMainViewW * 4 / 5, kDnFormMinW), std::max(iMaxMainViewH * 4 / 5, kDnFormMinH));
    BuildForm();
    fnOpenJigsaw = &OpenJigsawThroughFiles;
    fnAskLogin = [this](const std::string& host, const std::string& login, TDnLoginAnswer* answer) {
        return AskLogin(host, login, answer);
    };
    TDnFetchUi ui;
    ui.fnProgress = [this](int64_t received, int64_t expected) { ShowProgress(received, expected); };
    ui.fnEnded = [this] { ReinitStatus(); };
    ui.fnCredentials = [this](std::string* login, std::string* password) {
        DnLoginP.sHost = OptP.DnSrc;
        if (!CheckLoginPassword(p_Store.get(), fnAskLogin))
            return false;
        *login = DnLoginP.sLogin;
        *password = DnLoginP.sPassword;
        return true;
    };
    ui.fnLoginRefused = [] { ForgetLoginPassword(); };
    p_Fetcher->SetUi(std::move(ui));
    // The dialog follows a language switch, after whatever was hooked before it.
    LangP.fnRetitle = [self = QPointer<MCDownload>(this), prev = LangP.fnRetitle] {
        if (prev)
            prev();
        if (self)
            self->TranslateForm();
    };
    TranslateForm();
    o_Mode->setCurrentIndex(kDnModeNew);
}

MCDownload::~MCDownload()
{
    if (g_DnForm == this)
        g_DnForm = nullptr;
}

void MCDownload::BuildForm()
{
    auto* root = new QVBoxLayout(this);
    auto* middle = new QHBoxLayout;
    o_ScrollView = new MCDnScrollView(this);
    o_ScrollView->p_nsiCheckmark = QImage(Q(FileNames.sResourcePath + "/dn-gull.png"));
    if (o_ScrollView->p_nsiCheckmark.isNull())
        Platform().Log("download dialog: dn-gull.png is missing; present jigsaws go unmarked");
    o_ScrollView->fnSelectThumb = [this](int i) { SelectThumb(i); };
    middle->addWidget(o_ScrollView, 1);

    auto* side = new QVBoxLayout;
    o_Thumb = new QLabel(this);
    o_Thumb->setFixedSize(kDnPreviewW, kDnPreviewH);
    o_Thumb->setAlignment(Qt::AlignCenter);
    o_Thumb->setFrameShape(QFrame::StyledPanel);
    o_ThumbCap = new QLabel(this);
    o_ThumbCap->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    o_ThumbCap->setWordWrap(true);
    QFont capFont = o_ThumbCap->font();
    capFont.setPixelSize(15);
    capFont.setBold(true);
    o_ThumbCap->setFont(capFont);
    o_ThumbCap->setMaximumWidth(kDnPreviewW);
    side->addWidget(o_Thumb);
    side->addWidget(o_ThumbCap);
    side->addSpacing(12);
    o_ModeCap = new QLabel(this);
    o_Mode = new QComboBox(this);
    o_Mode->setEditable(false);
    o_Mode->setMaxVisibleItems(7);
    side->addWidget(o_ModeCap);
    side->addWidget(o_Mode);
    side->addStretch(1);
    middle->addLayout(side);
    root->addLayout(middle, 1);

    o_Progress = new QProgressBar(this);
    o_Progress->setTextVisible(false);
    root->addWidget(o_Progress);

    auto* buttons = new QHBoxLayout;
    o_ButDownload = new QPushButton(ResourceIcon("dn-download"), QString(), this);
    o_ButStop = new QPushButton(ResourceIcon("dn-stop"), QString(), this);
    o_ButExit = new QPushButton(this);
    for (QPushButton* b : {o_ButDownload, o_ButStop})
        b->setIconSize(QSize(24, 24));
    o_ButDownload->setDefault(true);
    buttons->addWidget(o_ButDownload);
    buttons->addWidget(o_ButStop);
    buttons->addStretch(1);
    buttons->addWidget(o_ButExit);
    root->addLayout(buttons);

    connect(o_ButDownload, &QPushButton::clicked, this, [this] { StartDownload(); });
    connect(o_ButStop, &QPushButton::clicked, this, [this] { ButStopPressed(); });
    connect(o_ButExit, &QPushButton::clicked, this, [this] { HideForm(); });
}

// The three mode items are replaced; the chosen one stays chosen.
void MCDownload::TranslateForm()
{
    setWindowTitle(Tr("Download_FormCaption"));
    o_ButDownload->setText(Tr("B_Download"));
    o_ButStop->setText(Tr("B_Stop"));
    o_ButExit->setText(Tr("B_Close"));
    o_ModeCap->setText(Tr("L_DownMode"));
    const int mode = o_Mode->currentIndex();
    const QSignalBlocker block(o_Mode);
    o_Mode->clear();
    o_Mode->addItems({Tr("CB_DownMode0"), Tr("CB_DownMode1"), Tr("CB_DownMode2")});
    o_Mode->setCurrentIndex(mode);
}

// ---- Showing and closing ----------------------------------------------------------------------

void MCDownload::LoadThumbs()
{
    o_ScrollView->UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, FileNames.sSetJigExt);
}

void MCDownload::ShowForm(bool autoStart)
{
    p_Fetcher->ClearCatalogue();
    TranslateForm();  // also when the language changed without telling us
    if (o_Mode->currentIndex() < 0)
        o_Mode->setCurrentIndex(kDnModeNew);
    LoadThumbs();
    o_ScrollView->ResizeListView();
    p_DnThumb = -1;
    FileNames.sFirstDownloadJig.clear();
    p_bStopDn = false;
    p_Fetcher->ClearStop();
    p_bCloseAfterStop = false;
    UpdateConnectComps(false);
    SelectThumb(o_ScrollView->iSel);
    {
        AutoSaveGuard guard;
        if (autoStart)
            QTimer::singleShot(100, this, [this] {
                if (!isVisible() || p_bWalking)
                    return;
                o_Mode->setCurrentIndex(kDnModeNew);
                StartDownload();
            });
        exec();
        // After the window is gone, so that the question stands alone.
        if (!FileNames.sFirstDownloadJig.empty() &&
            Platform().ShowQuestion(CaretMesFormat("Q_OpenFirstJigsaw"), LangGetKeyVal("B_Ok"),
                                    LangGetKeyVal("B_Cancel"), "") != 1)
            return;
    }
    if (!FileNames.sFirstDownloadJig.empty() && fnOpenJigsaw)
        fnOpenJigsaw(FileNames.sFirstDownloadJig);
}

void MCDownload::HideForm()
{
    if (p_bWalking) {
        // Closing while a walk runs: stop it; the walk closes the window when it unwinds.
        p_bCloseAfterStop = true;
        ButStopPressed();
        return;
    }
    done(1);
}

void MCDownload::closeEvent(QCloseEvent* e)
{
    if (p_bWalking) {
        e->ignore();
        HideForm();
        return;
    }
    QDialog::closeEvent(e);
}

void MCDownload::reject() { HideForm(); }

// ---- Controls ---------------------------------------------------------------------------------

void MCDownload::UpdateConnectComps(bool busy)
{
    o_ButDownload->setEnabled(!busy);
    o_ButExit->setEnabled(!busy);
    o_Mode->setEnabled(!busy);
    o_ButStop->setEnabled(busy);
    ReinitStatus();
}

void MCDownload::ReinitStatus()
{
    o_Progress->setRange(0, 100);
    o_Progress->setValue(0);
    o_Progress->update();
}

// A range the bar can hold: sizes beyond its int are shown in KiB.
void MCDownload::ShowProgress(int64_t received, int64_t expected)
{
    if (expected < 1) {
        o_Progress->setRange(0, 0);  // the busy animation: the size was not announced
        return;
    }
    const int shift = expected > std::numeric_limits<int>::max() ? 10 : 0;
    o_Progress->setRange(0, int(expected >> shift));
    o_Progress->setValue(int(std::clamp<int64_t>(received, 0, expected) >> shift));
}

void MCDownload::SelectThumb(int index)
{
    if (p_Fetcher->IsDownloading() || index < 0 || index >= int(o_ScrollView->arListThumbs.size()))
        return;
    const ODnListThumb& t = o_ScrollView->arListThumbs[size_t(index)];
    if (!FileExists(t.sThumbAbsPath))
        return;
    const QImage pic = DnReadListPicture(t.sThumbAbsPath);
    if (pic.isNull())
        o_Thumb->clear();
    else
        o_Thumb->setPixmap(QPixmap::fromImage(
            pic.scaled(kDnPreviewW - 4, kDnPreviewH - 4, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    o_ThumbCap->setText(Q(t.sDisplayName));
    o_ScrollView->ScrollToEntry(index);
    o_ScrollView->View()->update();
    o_ButDownload->setEnabled(!p_bWalking);
}

bool MCDownload::AskLogin(const std::string& host, const std::string& login, TDnLoginAnswer* answer)
{
    MCDnLogin dialog(this);
    dialog.Preset(host, login);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *answer = dialog.Answer();
    return true;
}

// ---- Downloading ------------------------------------------------------------------------------

bool MCDownload::ValidateDownloadMode()
{
    const std::string problem = DnModeProblem(o_ScrollView->arListThumbs, o_Mode->currentIndex(), o_ScrollView->iSel);
    if (problem.empty())
        return true;
    Platform().ShowMessage(CaretMesFormat(problem));
    return false;
}

bool MCDownload::FetchEntry(int index)
{
    auto& list = o_ScrollView->arListThumbs;
    p_DnThumb = index;
    SelectThumb(index);
    ReinitStatus();
    const ODnListThumb& entry = list[size_t(index)];
    const int r = p_Fetcher->DownloadJigsaw(entry.sDisplayName, entry.sJigAbsPath);
    ReinitStatus();
    p_DnThumb = -1;
    if (r != 0)
        return false;
    // The list may not have changed under a running walk: entries are only re-flagged on showing.
    ODnListThumb& done = list[size_t(index)];
    done.bNewJig = false;
    if (FileNames.sFirstDownloadJig.empty())
        FileNames.sFirstDownloadJig = done.sJigAbsPath;
    o_ScrollView->RedrawEntry(index);
    return true;
}

void MCDownload::StartDownload()
{
    if (p_bWalking || p_Fetcher->IsDownloading())
        return;
    p_bStopDn = false;
    p_Fetcher->ClearStop();
    if (!ValidateDownloadMode())
        return;
    const int mode = o_Mode->currentIndex();
    if (mode == kDnModeSelected) {
        const ODnListThumb& sel = o_ScrollView->arListThumbs[size_t(o_ScrollView->iSel)];
        if (FileExists(sel.sJigAbsPath) &&
            Platform().ShowQuestion(Say("Q_OverwriteFile", {sel.sDisplayName}), LangGetKeyVal("B_Ok"),
                                    LangGetKeyVal("B_Cancel"), "") != 1)
            return;
    }
    p_bWalking = true;
    UpdateConnectComps(true);
    if (p_Fetcher->GetDnInfo()) {
        if (mode == kDnModeSelected) {
            FetchEntry(o_ScrollView->iSel);
        } else {
            // Mode 2 replaces present jigsaws without asking.
            for (const int i : DnWalkEntries(o_ScrollView->arListThumbs, mode))
                if (!FetchEntry(i) || p_bStopDn)
                    break;
        }
    }
    p_bWalking = false;
    UpdateConnectComps(false);
    // The walk previewed each jigsaw it fetched; the preview goes back to the selection.
    SelectThumb(o_ScrollView->iSel);
    if (p_bCloseAfterStop)
        HideForm();
}

// The running transfer ends at once; the walk sees the flag and ends after it.
void MCDownload::ButStopPressed()
{
    p_bStopDn = true;
    p_Fetcher->Stop();
    o_ButStop->setEnabled(false);
    ReinitStatus();
}
