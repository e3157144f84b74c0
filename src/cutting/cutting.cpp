// The cutter's process-wide tables and their reset.
#include "cutting/cutting.h"

#include "cutting/edge_curves.h"
#include "cutting/pic_inserts.h"
#include "cutting/vector_pics.h"
#include "cutting/vector_style.h"

void Cutting_Reset()
{
    MaskParams = {};
    EdgeFigs = {};
    VectorPics_Reset();
    PicSourceP = {};
    RasAtlas = {};
    VecStyleP = {};
}
