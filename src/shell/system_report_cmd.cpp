#include "shell/system_report_cmd.h"

#include "diagnostics/diagnostics.h"
#include "field/main_view.h"
#include "model/game_state.h"
#include "shell/main_form.h"

void ShowSystemReport()
{
    AutoSaveGuard busy;  // the report may show a message
    MCMainView* view = g_MainForm ? g_MainForm->MainView : nullptr;
    if (g_MainForm)
        SystemFactsSetMainWindow(g_MainForm->windowHandle());
    // The renderer named in the report is the one the play field draws with.
    if (view)
        view->makeCurrent();
    CreateSystemReport("", true);
    if (view)
        view->doneCurrent();
}
