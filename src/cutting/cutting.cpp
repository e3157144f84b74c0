#include "cutting/cutting.h"

#include "cutting/vector_pics.h"

void Cutting_Reset()
{
    VectorPics_Reset();
}
