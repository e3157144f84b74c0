#include "shell/shell.h"

void ShellDialogs_Reset();

void Shell_Reset()
{
    ShellDialogs_Reset();
    FreeSounds();
}
