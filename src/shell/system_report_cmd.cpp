#include "shell/system_report_cmd.h"

#include "diagnostics/diagnostics.h"
#include "model/game_state.h"
#include "shell/main_form.h"

void ShowSystemReport()
{
    AutoSaveGuard busy;  // the report may show a message
    if (g_MainForm)
        SystemFactsSetMainWindow(g_MainForm->windowHandle());
    CreateSystemReport("", true);
}
