// The cutter's facade: what the rest of the game calls to cut a picture into
// pieces, and the reset of the cutter's process-wide tables.
#pragma once

// Clears the cutter's tables (level table, edge figures, style tables).
void Cutting_Reset();
