// The cutter over the open game's records.
#include "model/game_cut.h"

#include "cutting/vector_style.h"
#include "model/game_picture.h"
#include "model/puzzle.h"

namespace {

PieceTextureMaker g_textureMaker = nullptr;  // per run; installed by the play field

}  // namespace

void InitJigsAr() { InitJigsAr(JigP, Jigs); }

TCutStatus CreateMasksForVoronoiStyle(int)
{
    return CreateMasksForVoronoiStyle(JigP, Jigs, miMasks);
}

TCutStatus CreateMasksForVectorStyle()
{
    return CreateMasksForVectorStyle(JigP, Jigs, miMasks);
}

void Cutting_SetPieceTextureMaker(PieceTextureMaker maker) { g_textureMaker = maker; }

void CopyJigsToTextures(bool create, int embossStyle)
{
    const int count = JigP.TotalTileNum;
    const OGamePictureInUse picture;
    if (count < 1 || size_t(count) > Jigs.size() || !miJigs || !miMasks || !miJigs->pMem || !miMasks->pMem)
        return;
    if (miJigs->W != miMasks->W || miJigs->H != miMasks->H)
        return;
    for (int i = 0; i < count; ++i)
        UpdateJigDrawCoords(i);
    BuildPieceImages(*miJigs, *miMasks, Jigs, count, JigP.Rotate != 0, embossStyle, create, arPicJigs);
    JigHitMasks = TJigHitMasks{};  // the images have their pixels again
    if (g_textureMaker)
        for (OMyImage& img : arPicJigs)
            g_textureMaker(img);
}

bool AdoptPieceImages(std::vector<OMyImage>& images)
{
    const int count = JigP.TotalTileNum;
    if (count < 1 || size_t(count) > Jigs.size() || images.size() != size_t(count) || !miJigs || !miMasks ||
        !miJigs->pMem || !miMasks->pMem || miJigs->W != miMasks->W || miJigs->H != miMasks->H)
        return false;
    for (int i = 0; i < count; ++i)
        UpdateJigDrawCoords(i);
    arPicJigs = std::move(images);
    images.clear();
    JigHitMasks = TJigHitMasks{};
    if (g_textureMaker)
        for (OMyImage& img : arPicJigs)
            g_textureMaker(img);
    return true;
}
