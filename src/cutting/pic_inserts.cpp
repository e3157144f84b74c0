// Picture inserts: until the vector pictures can be read, no cell becomes a
// picture and the Figure style cuts every cell as an ordinary one with its
// own figure choice.
#include "cutting/pic_inserts.h"

#include "cutting/classic_cut.h"

bool PicInserts_Load(TCutWork&) { return false; }

void PicInserts_Place(TCutWork& w)
{
    for (int i = 0; i < w.n; ++i)
        w.jigs[size_t(i)].PicCell = 0;
}

void PicInserts_Free(TCutWork& w) { w.testPics.reset(); }
