// The cutter's process-wide tables and their reset.
#include "cutting/cutting.h"

#include "cutting/edge_curves.h"

void Cutting_Reset()
{
    MaskParams = {};
    EdgeFigs = {};
    Cutting_SetPieceTextureMaker(nullptr);
}
