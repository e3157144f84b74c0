#include "cutting/cutting.h"

void Cutting_Reset()
{
}
