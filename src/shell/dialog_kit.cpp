#include "shell/dialog_kit.h"

#include "files/files.h"
#include "platform/platform.h"
#include "shell/shell.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include <algorithm>
#include <cxxabi.h>
#include <cstdlib>
#include <typeinfo>

namespace {

template <class W>
W* Place(W* w, const TMyRect& r)
{
    w->setGeometry(r.L, r.T, r.W, r.H);
    return w;
}

void SetFontSize(QWidget* w, int size)
{
    if (size <= 0)
        return;
    QFont f = w->font();
    f.setPointSize(size);
    w->setFont(f);
}

QString ResourceFile(const std::string& imageName)
{
    std::string name = imageName;
    if (QFileInfo(QString::fromStdString(name)).suffix().isEmpty())
        name += ".png";
    return QString::fromStdString(FileNames.sResourcePath + "/" + name);
}

}  // namespace

QPixmap ResourcePixmap(const std::string& imageName)
{
    const QString path = ResourceFile(imageName);
    QString twice = path;
    twice.insert(twice.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
    QPixmap pm;
    if (QFileInfo::exists(twice) && pm.load(twice)) {
        pm.setDevicePixelRatio(2.0);  // the same logical size as the plain one
        return pm;
    }
    if (!pm.load(path))
        Platform().Log("dialog picture missing: " + path.toStdString());
    return pm;
}

QLabel* CreateLabel(QWidget* parent, int fontSize, const TMyRect& r)
{
    auto* l = Place(new QLabel(parent), r);
    SetFontSize(l, fontSize);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    l->setAutoFillBackground(false);
    return l;
}

QLineEdit* CreateEditText(QWidget* parent, int fontSize, const TMyRect& r)
{
    auto* e = Place(new QLineEdit(parent), r);
    SetFontSize(e, fontSize);
    e->setFrame(true);
    return e;
}

QPushButton* CreateIconButton(QWidget* parent, const std::string& imageName, const TMyRect& r)
{
    auto* b = Place(new QPushButton(parent), r);
    const QPixmap pm = ResourcePixmap(imageName);
    b->setIcon(QIcon(pm));
    b->setIconSize(pm.deviceIndependentSize().toSize());
    b->setFlat(true);
    return b;
}

QLabel* CreateImageView(QWidget* parent, const std::string& imageName, const TMyRect& r)
{
    auto* l = Place(new QLabel(parent), r);
    l->setAlignment(Qt::AlignCenter);
    if (!imageName.empty())
        l->setPixmap(ResourcePixmap(imageName));
    return l;
}

QPushButton* CreateButton(QWidget* parent, const QString& title, const TMyRect& r)
{
    return Place(new QPushButton(title, parent), r);
}

QCheckBox* CreateCheckBox(QWidget* parent, const QString& title, const TMyRect& r)
{
    return Place(new QCheckBox(title, parent), r);
}

QComboBox* CreateComboList(QWidget* parent, const TMyRect& r)
{
    auto* c = Place(new QComboBox(parent), r);
    SetFontSize(c, 13);
    c->setEditable(false);
    c->setMaxVisibleItems(7);
    return c;
}

QFrame* CreateSeparator(QWidget* parent, const TMyRect& r)
{
    auto* f = Place(new QFrame(parent), r);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QSlider* CreateSlider(QWidget* parent, int min, int max, const TMyRect& r, int tickCount)
{
    auto* s = Place(new QSlider(Qt::Horizontal, parent), r);
    s->setRange(min, max);
    // Only the marks are allowed: a step of one mark's distance.
    const int step = tickCount >= 2 ? std::max(1, (max - min) / (tickCount - 1)) : 1;
    s->setSingleStep(step);
    s->setPageStep(step);
    s->setTickInterval(step);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTracking(true);
    return s;
}

QTabWidget* CreateTabWidget(QWidget* parent, const TMyRect& r) { return Place(new QTabWidget(parent), r); }

QAction* CreateMenuItem(QMenu* menu, const QString& title, const QString& keyEquivalent, std::function<void()> action)
{
    auto* a = new QAction(title, menu);
    a->setEnabled(true);
    if (!keyEquivalent.isEmpty())
        a->setShortcut(QKeySequence(keyEquivalent));
    if (action)
        QObject::connect(a, &QAction::triggered, a, [fn = std::move(action)] { fn(); });
    if (menu)
        menu->addAction(a);
    return a;
}

QAction* CreateMenuSeparatorItem(QMenu* menu) { return menu ? menu->addSeparator() : nullptr; }

// ---- Exceptions -------------------------------------------------------------------------------------

std::string ExceptionText(const std::exception& e)
{
    const char* mangled = typeid(e).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const std::string name = status == 0 && plain ? plain : mangled;
    std::free(plain);
    return "Exception " + name + " (" + e.what() + ")";
}

void ShowException(const std::exception& e)
{
    const std::string text = ExceptionText(e);
    Platform().Log(text);
    ShowMessage(text);
}

// ---- Rounded rectangles ----------------------------------------------------------------------------

void AppendBezierPathWithRoundedRect(QPainterPath& path, const QRectF& r, double radius)
{
    if (r.isEmpty())
        return;
    if (radius <= 0) {
        path.addRect(r);
        return;
    }
    const double rad = std::min({radius, r.width() / 2, r.height() / 2});
    const double d = 2 * rad;
    // From the middle of the top edge, clockwise on screen (y down), one arc per corner.
    path.moveTo(r.center().x(), r.top());
    path.arcTo(QRectF(r.right() - d, r.top(), d, d), 90, -90);
    path.arcTo(QRectF(r.right() - d, r.bottom() - d, d, d), 0, -90);
    path.arcTo(QRectF(r.left(), r.bottom() - d, d, d), 270, -90);
    path.arcTo(QRectF(r.left(), r.top(), d, d), 180, -90);
    path.closeSubpath();
}

QPainterPath BezierPathWithRoundedRect(const QRectF& r, double radius)
{
    QPainterPath p;
    AppendBezierPathWithRoundedRect(p, r, radius);
    return p;
}
