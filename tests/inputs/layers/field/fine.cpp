// Everything here is allowed.
#include "files/files.h"
#include <QWidget>
