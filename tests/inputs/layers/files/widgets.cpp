// A core file, not a *_qt one, that pulls in Qt Widgets.
#include <QWidget>
#include <vector>
