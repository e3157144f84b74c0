// A game built by hand, without cutting: a picture, a mask, a thumbnail and a
// piece table whose every byte (padding and reserved bytes included) follows a
// pattern of the seed, so that a saved game can be compared byte for byte.
#pragma once

#include "cutting/cutting.h"
#include "cutting/piece_images.h"
#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"

#include <cstring>
#include <dirent.h>

inline void MakeSyntheticGame(int w, int h, int pieces, int32_t seed, const std::string& name = "Forest")
{
    SRand(uint32_t(seed));
    JigP = TJigParams{};
    auto* raw = reinterpret_cast<uint8_t*>(&JigP);
    for (size_t i = 0; i < sizeof JigP; ++i)
        raw[i] = uint8_t(Rand());
    JigP.GameSeed = seed;
    JigP.ImageW = w;
    JigP.ImageH = h;
    JigP.TotalTileNum = pieces;
    JigP.Rotate = 1;
    JigP.BorderStyle = uint8_t(seed % 2);
    JigP.ShapeStyle = uint8_t(seed % kShapeStyleCount);
    miJigs = MyImageCreateExt(w, h, true);
    miMasks = MyImageCreateExt(w, h, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            MyImageSetPixel(*miJigs, x, y, RGB(uint32_t(x * 3 + seed), uint32_t(y * 5), uint32_t(x ^ y)));
            MyImageSetPixel(*miMasks, x, y, RGB(128, 0, uint32_t((x / 7 + y / 5) % 3 + 1)));
        }
    for (size_t i = 3; i < miJigs->Bitmap.size(); i += 4)
        miJigs->Bitmap[i] = miMasks->Bitmap[i] = 255;
    miInfoThumb = MyImageCreateExt(32, 24, false);
    MyImageFillRect(*miInfoThumb, 0, 0, 32, 24, RGB(40, 90, 200));
    CreateJigsBuf(pieces + 1);
    for (int i = 0; i < pieces; ++i) {
        TJig& j = JigAt(i);
        auto* b = reinterpret_cast<uint8_t*>(&j);
        for (size_t k = 0; k < sizeof j; ++k)
            b[k] = uint8_t(Rand());
        j.Win = uint8_t(MyRandom(6));
        j.Rot = PieceHasStrip(j, true) ? uint8_t(MyRandom(4)) : 0;  // the frame never turns
        j.W = 1 + MyRandom(w);
        j.H = 1 + MyRandom(h);
        j.HomeX = MyRandom(w - j.W + 1);
        j.HomeY = MyRandom(h - j.H + 1);
        for (int16_t& nb : j.Nb)
            nb = int16_t(MyRandom(pieces + 1) - 1);
    }
    WinP.Reserved[0] = 7;
    WinP.lBkgColors[3] = 0x123456 + seed;
    CurMA = KidsMA;
    for (int k = 0; k < kPocketCount; ++k) {
        PocketsP.Pocket[k].bVisible = uint8_t(k % 2);
        PocketsP.Pocket[k].mrWin = MakeTRect(10 * k, 20 * k, 300 + k, 200 + k);
        PocketsP.Pocket[k].iScrollL = k + 1;
        PocketsP.Pocket[k].iScrollT = 2 * k + 1;
    }
    iWeightJig = pieces / 2;
    FileNames.sJigName = name;
    g_JigDesc = "A forest at dawn";
}

// The side files (temporary saves, re-save copies) lying in a folder.
inline int CountSideFiles(const std::string& folder)
{
    int n = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (const dirent* e = readdir(d))
            n += SideFileTarget(e->d_name).empty() ? 0 : 1;
        closedir(d);
    }
    return n;
}
