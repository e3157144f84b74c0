#include "files/files.h"

void Files_Reset()
{
}
