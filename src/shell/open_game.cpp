#include "shell/open_game.h"

#include "files/files.h"
#include "shell/shell.h"

#include <QFileDialog>

// FIXME: the play read and the saved games are not in the tree yet; until
// then nothing opens and nothing needs saving.
bool ShellOpenGame(const std::string& path)
{
    ShowMessage("Cannot open " + path);
    return false;
}

std::string ShellChooseGameFile()
{
    const QString f = QFileDialog::getOpenFileName(DialogParent(), QString::fromLatin1(sMainCaption),
                                                   QString::fromStdString(FileNames.sJigsPath),
                                                   QStringLiteral("Jigsaws and saved games (*.zjg *.svm)"));
    return f.toStdString();
}

bool ShellSave(bool) { return false; }
bool ShellSaveAndContinue() { return true; }
void ShellWriteSettings() {}
void ShellAutoSaveTick() {}
std::string ShellMostRecentFile() { return {}; }
