// The undo history of the open game: every change the player makes to the
// table (a drag and drop with its joins, a turn, a move to the other side or
// into or out of a pocket, an arrange, a gathering, edge pieces to a pocket,
// the weight put down or lifted) becomes one step that Undo_Back takes back
// and Undo_Forth makes again.
//
// The history keeps a copy of the table's places as the last step left them
// (the baseline). Undo_Commit, called when a change is over, compares the
// table with it and keeps only what differs: the places of the pieces that
// moved, turned or changed window, and, for pieces whose only change is
// their layer (the groups that closed up under a lifted one), the layer
// shifts as ranges. Changes made between two commits without one of their
// own (a selection lifting its groups, pieces pulled back into view) become
// part of the next step; taking a step back first returns the table to the
// baseline, so every step goes back exactly to where it began.
//
// What is derived from the places (the draw order, the pockets' counts and
// sizes, the solved mark, the selection) is worked out anew after a step.
// Lifetime: per game; cleared when a game opens (Undo_Reset) and never saved.
#pragma once

#include <cstddef>
#include <cstdint>

// The history holds at most this many steps; the oldest go first.
constexpr int kUndoMaxSteps = 256;

// Forgets every step and takes the table as it is now as the baseline.
void Undo_Reset();
// Forgets everything, the baseline too (Model_Reset calls it).
void Undo_Clear();

// The change in progress is over: what differs from the baseline becomes a
// step (the steps that were undone are dropped). Nothing happens while
// pieces are carried or a selection frame is drawn (the change is not over),
// or when nothing differs. True when a step was made.
bool Undo_Commit();

// One step back or forth; false when there is none, while a change is in
// progress, or when the piece table is not the one the history belongs to.
// Afterwards nothing is selected or current, the draw order is current, the
// pockets are recounted, the solved mark is recomputed and the unsaved mark
// is set, or cleared when the table is back to where it was saved.
bool Undo_Back();
bool Undo_Forth();
bool Undo_CanBack();
bool Undo_CanForth();

// The table as it is now has been saved: returning to this step later
// clears the unsaved mark.
void Undo_MarkSaved();

// ---- For tests and measurements ----
// Steps that can be taken back, and steps kept in all.
int Undo_Position();
int Undo_StepCount();
// Bytes the history holds (steps and baseline, with their containers' reserve).
size_t Undo_MemoryBytes();
