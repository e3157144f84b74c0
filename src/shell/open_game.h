// The main form's road to the files: opening a game (a jigsaw as a new game
// with the default cut, or a saved game), the open dialog's part in the
// files' commands (the dialog itself: shell/open_dialog.h), saving, the save question, the
// settings and the autosave tick.
#pragma once

#include <string>

// Creates the open dialog (kept for the run) and installs it as the files'
// open dialog, with its seed and its download button.
void ShellInstallFileHooks();
// The download dialog (made on first use, kept for the run), not from start-up.
void ShellShowDownload();
// Asks to save unsaved changes, then opens path; false (the reason shown to
// the player) when it cannot be opened.
bool ShellOpenGame(const std::string& path);
// Opens path while nothing is open, without asking or reporting anything and
// without a progress window (start-up, behind the splash): false when it
// cannot be opened.
bool ShellOpenGameQuietly(const std::string& path);
// The open command: the save question, the chooser, the chosen file opened.
bool ShellOpenDialog();
// Entry i of the recent files: a saved game opens at once.
bool ShellOpenRecent(int i);
// Saves the open game (asAnother: always asks for a name); the recent files follow.
bool ShellSave(bool asAnother);
void ShellWriteSettings();
void ShellAutoSaveTick();
// The first of the recent files, "" when none.
std::string ShellMostRecentFile();
