// The main form's road to the files: opening a game (a jigsaw as a new game
// with the default cut, or a saved game), the file chooser, saving, the save
// question, the settings and the autosave tick.
#pragma once

#include <string>

// Opens path; false (the reason shown to the player) when it cannot be opened.
bool ShellOpenGame(const std::string& path);
// A file chooser for jigsaws and saved games; "" when cancelled.
std::string ShellChooseGameFile();
// Saves the open game (asAnother: always asks for a name).
bool ShellSave(bool asAnother);
// Asks to save unsaved changes; false when the player cancels.
bool ShellSaveAndContinue();
void ShellWriteSettings();
// The first of the recent files, "" when none.
std::string ShellMostRecentFile();
void ShellAutoSaveTick();
