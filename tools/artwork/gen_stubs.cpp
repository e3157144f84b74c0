#include "art.h"
void GenToolbar(ArtOut&) {}
void GenAppIcons(ArtOut&) {}
void GenDialogArt(ArtOut&) {}
void GenSounds(ArtOut&) {}
