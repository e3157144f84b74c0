#include "shell/shell.h"
#include "shell/help_form.h"

void ShellDialogs_Reset();

void Shell_Reset()
{
    ShellDialogs_Reset();
    FreeSounds();
    FreeHelpForm();
}
