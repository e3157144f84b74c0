#include "shell/shell.h"

#include "shell/status_line.h"
#include "shell/help_form.h"

#include "download/dialog/dn_form.h"
#include "download/download.h"
#include "shell/options_dialog.h"

void ShellDialogs_Reset();

void Shell_Reset()
{
    FreeOptionsForm();
    ShellDialogs_Reset();
    FreeSounds();
    FreeHelpForm();
    FreeDownloadForm();
    DnLogin_Reset();
    Download_Reset();
    PlayClock_Reset();
}
