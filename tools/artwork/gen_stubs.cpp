#include "art.h"
void GenDialogArt(ArtOut&) {}
