#include "files/files.h"

void Files_Reset()
{
    FileNames = OFileNames{};
    LangP = OLangP{};
}
