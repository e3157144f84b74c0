#include "shell/info_form.h"

#include "base/my_image_qt.h"
#include "files/files.h"
#include "model/play_rules.h"
#include "model/puzzle.h"

#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QString Tr(const std::string& key) { return QString::fromStdString(LangGetKeyVal(key)); }
QString TrNum(const char* key, int n) { return QString::fromStdString(LangFormat(LangGetKeyVal(key), {n})); }

QFrame* Separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

TInfoCounts InfoCountPieces()
{
    TInfoCounts c;
    c.iPieces = JigsInPlay();
    if (c.iPieces <= 0)
        return c;
    SortJigs(false);
    int changes = 0;
    for (size_t i = 1; i < SortedJigs.size(); ++i)
        if (SortedJigs[i].Layer != SortedJigs[i - 1].Layer)
            ++changes;
    // Changes between groups count one less than the groups; with nothing
    // joined every piece is its own group.
    c.iUnsolved = changes == c.iPieces - 1 ? c.iPieces : changes;
    c.iPercent = bGameSolved ? 100 : int(int64_t(c.iPieces - c.iUnsolved) * 100 / c.iPieces);
    return c;
}

MCInfo::MCInfo(QWidget* parent) : QDialog(parent)
{
    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    column->addLayout(top);
    o_Thumb = new QLabel(this);
    o_Thumb->setFixedSize(160, 160);
    o_Thumb->setAlignment(Qt::AlignCenter);
    top->addWidget(o_Thumb);
    auto* names = new QVBoxLayout;
    top->addLayout(names, 1);
    o_JigCap = new QLabel(this);
    o_Jig0 = new QLabel(this);
    o_Jig1 = new QLabel(this);
    QFont bold = o_Jig0->font();
    bold.setBold(true);
    o_Jig0->setFont(bold);
    for (QLabel* l : {o_JigCap, o_Jig0, o_Jig1})
        names->addWidget(l);
    names->addStretch(1);
    column->addWidget(Separator(this));
    o_PieceNum = new QLabel(this);
    o_UnsolvedNum = new QLabel(this);
    o_SolvedPercent = new QLabel(this);
    o_Shapes = new QLabel(this);
    o_Border = new QLabel(this);
    o_Rotate = new QLabel(this);
    auto* grid = new QGridLayout;
    column->addLayout(grid);
    grid->addWidget(o_PieceNum, 0, 0);
    grid->addWidget(o_UnsolvedNum, 1, 0);
    grid->addWidget(o_SolvedPercent, 2, 0);
    grid->addWidget(o_Shapes, 0, 1);
    grid->addWidget(o_Border, 1, 1);
    grid->addWidget(o_Rotate, 2, 1);
    column->addWidget(Separator(this));
    o_Desc = new QTextEdit(this);
    o_Desc->setReadOnly(true);
    QFont sans(QStringLiteral("Sans Serif"), 16);
    sans.setStyleHint(QFont::SansSerif);
    o_Desc->setFont(sans);
    o_Desc->setMinimumSize(420, 140);
    column->addWidget(o_Desc, 1);
    auto* buttons = new QHBoxLayout;
    column->addLayout(buttons);
    buttons->addStretch(1);
    o_ButClose = new QPushButton(this);
    o_ButClose->setDefault(true);  // Return
    o_ButClose->setAutoDefault(true);
    buttons->addWidget(o_ButClose);
    connect(o_ButClose, &QPushButton::clicked, this, [this] { done(0); });
    TranslateForm();
}

void MCInfo::TranslateForm()
{
    setWindowTitle(Tr("Info_FormCaption"));
    o_ButClose->setText(Tr("B_Close"));
    o_JigCap->setText(Tr("L_JigCap"));
}

void MCInfo::FillInfo()
{
    const TInfoCounts c = InfoCountPieces();
    o_PieceNum->setText(TrNum("L_PieceNum", c.iPieces));
    o_UnsolvedNum->setText(TrNum("L_UnsolvedNum", c.iUnsolved));
    o_SolvedPercent->setText(TrNum("L_SolvedPercent", c.iPercent));
    o_Rotate->setText(Tr(JigP.Rotate ? "RotateOn" : "RotateOff"));
    o_Border->setText(Tr("Borders" + std::to_string(JigP.BorderStyle)));
    o_Shapes->setText(Tr("Shapes" + std::to_string(JigP.ShapeStyle)));
    const QString jigName = QString::fromStdString(FileNames.sJigName);
    if (FileNames.sSolve.empty()) {
        o_Jig0->setText(jigName);
        o_Jig1->clear();
    } else {
        o_Jig0->setText(QFileInfo(QString::fromStdString(FileNames.sSolve)).completeBaseName());
        o_Jig1->setText(QStringLiteral("(%1)").arg(jigName));
    }
    o_Desc->setPlainText(QString::fromStdString(g_JigDesc));
    o_Thumb->clear();
    if (miInfoThumb) {
        const QPixmap p = QPixmap::fromImage(MyImageToQImage(*miInfoThumb));
        o_Thumb->setPixmap(p.scaled(o_Thumb->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
}

int MCInfo::ShowForm() { return exec(); }

void ShowGameInfo(QWidget* parent)
{
    MCInfo form(parent);
    form.FillInfo();
    form.ShowForm();
}
