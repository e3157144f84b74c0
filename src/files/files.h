// The files facade: folders, jigsaw and saved-game files, settings, autosave,
// recent files and language files.
#pragma once

// Clears the per-run records of the files subsystem.
void Files_Reset();
