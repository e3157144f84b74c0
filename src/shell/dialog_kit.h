// The dialog toolkit: factories that make a Qt control at a rectangle given
// in top-down coordinates inside a parent (Qt's own coordinates are already
// top-down, so no flipping is needed), the exception report, and the
// rounded-rectangle path builder.
//
// None of these fails: a null parent leaves the control unattached (the
// caller then owns it).
#pragma once

#include "base/helpers.h"

#include <QString>

#include <exception>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPainterPath;
class QPushButton;
class QRectF;
class QSlider;
class QTabWidget;
class QWidget;

// ---- Control factories -------------------------------------------------------------------
// A plain label: no frame, no background, not editable, not selectable.
QLabel* CreateLabel(QWidget* parent, int fontSize, const TMyRect& r);
// An editable one-line text field with a frame.
QLineEdit* CreateEditText(QWidget* parent, int fontSize, const TMyRect& r);
// A flat button showing a resource picture unscaled ("<resources>/<name>.png",
// with its @2x twin when there is one).
QPushButton* CreateIconButton(QWidget* parent, const std::string& imageName, const TMyRect& r);
// A picture that only shows (an icon beside a control, a preview).
QLabel* CreateImageView(QWidget* parent, const std::string& imageName, const TMyRect& r);
// A push button with a title.
QPushButton* CreateButton(QWidget* parent, const QString& title, const TMyRect& r);
QCheckBox* CreateCheckBox(QWidget* parent, const QString& title, const TMyRect& r);
// A list to pick one item from: not editable, 7 items shown when open, label font 13.
QComboBox* CreateComboList(QWidget* parent, const TMyRect& r);
// A horizontal line.
QFrame* CreateSeparator(QWidget* parent, const TMyRect& r);
// A horizontal slider over min..max that reports while it moves and stops
// only at its tickCount marks (tickCount >= 2), marks below it.
QSlider* CreateSlider(QWidget* parent, int min, int max, const TMyRect& r, int tickCount);
QTabWidget* CreateTabWidget(QWidget* parent, const TMyRect& r);
// A menu command (enabled) appended to menu when given, and a separator.
QAction* CreateMenuItem(QMenu* menu, const QString& title, const QString& keyEquivalent, std::function<void()> action);
QAction* CreateMenuSeparatorItem(QMenu* menu);  // null for no menu

// The picture of a resource as shown in a control (null pixmap when missing,
// with a log line).
class QPixmap;
QPixmap ResourcePixmap(const std::string& imageName);

// ---- Exceptions -----------------------------------------------------------------------------
// "Exception <name> (<reason>)" as a message, and the same in the log.
void ShowException(const std::exception& e);
std::string ExceptionText(const std::exception& e);

// ---- Rounded rectangles -----------------------------------------------------------------------
// A closed outline of r with corners of the radius (limited to half the
// width and half the height); radius 0 gives the plain rectangle; an empty
// rectangle adds nothing.
QPainterPath BezierPathWithRoundedRect(const QRectF& r, double radius);
void AppendBezierPathWithRoundedRect(QPainterPath& path, const QRectF& r, double radius);
