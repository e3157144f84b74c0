#include "shell/shell.h"

#include "shell/status_line.h"
#include "shell/help_form.h"

#include "shell/options_dialog.h"

void ShellDialogs_Reset();

void Shell_Reset()
{
    FreeOptionsForm();
    ShellDialogs_Reset();
    FreeSounds();
    FreeHelpForm();
    PlayClock_Reset();
}
