// The creatures of the skinned demo. The first stands where it always has and
// moves only when the controls start an animation; every clone plays the
// idle and wave animations, blended 1 to 3, in a loop, started at its own
// point of their cycles so no two move alike.
#define QL_SOURCE_FILE "main"

#include "crowd.h"

#include "qltrace.h"

#include <math.h>
#include <new>

namespace {

const char creatureFile[] = "./data/creature.cfg";
// The creature is authored about 136 units tall; at this scale it stands
// as high as the park's lamps, under the circling light, so it casts a
// shadow that turns with the light.
constexpr float creatureScale = 0.6f;
// On the south avenue, between the fountain's ring and the benches, facing
// the start-up camera.
const D3DXVECTOR3 creaturePosition(0.0f, 0.0f, -95.0f);

// The clones' grid: rows from the first creature's row northwards, columns
// across the park, clear of the fountain and of the first creature's
// neighbourhood, so that it stands apart in front with room to spin.
constexpr int gridColumns = 7;
constexpr float gridSpacing = 45.0f;
constexpr float fountainClearance = 60.0f;

constexpr uint32_t idleAnimation = 0, waveAnimation = 3;
constexpr float idleWeight = 1.0f, waveWeight = 3.0f;
constexpr float shortestCycle = 1.5f;  // the wave's; a phase stays below it

uint32_t crowdSize = 1;
IModel** clones = nullptr;  // crowdSize - 1 of them
uint32_t cloneCount = 0;

// The grid slot of clone `index` (0 is the first clone), skipping the first
// creature's slot and those beside and behind it, and the fountain.
D3DXVECTOR3 ClonePosition(uint32_t index)
{
    for (uint32_t slot = 0, found = 0;; ++slot) {
        int column = (int)(slot % gridColumns) - gridColumns / 2;
        int row = (int)(slot / gridColumns);
        D3DXVECTOR3 at(column * gridSpacing, 0.0f, creaturePosition.z + row * gridSpacing);
        bool nearFirst = column >= -1 && column <= 1 && row <= 1;
        bool inFountain = at.x * at.x + at.z * at.z < fountainClearance * fountainClearance;
        if (nearFirst || inFountain)
            continue;
        if (found++ == index)
            return at;
    }
}

// The model's base matrix, scaled and moved to `position`.
HRESULT Place(IModel* model, const D3DXMATRIX& base, const D3DXVECTOR3& position)
{
    D3DXMATRIX scaling, translation, world;
    D3DXMatrixScaling(&scaling, creatureScale, creatureScale, creatureScale);
    D3DXMatrixTranslation(&translation, position.x, position.y, position.z);
    D3DXMatrixMultiply(&world, &base, &scaling);
    D3DXMatrixMultiply(&world, &world, &translation);
    return model->SetMatrix(world);
}

void Loop(IModel* model)
{
    // Playing, a call asks for one more cycle; ended, it starts a new one.
    model->AddAnimation(idleAnimation, idleWeight);
    model->AddAnimation(waveAnimation, waveWeight);
}

}  // namespace

void SetCrowdSize(uint32_t creatures)
{
    crowdSize = creatures < 1 ? 1 : creatures > maximumCrowd ? maximumCrowd : creatures;
}

uint32_t CrowdSize()
{
    return crowdSize;
}

HRESULT CreateCrowd(SampleEngine& engine)
{
    TraceContext trace("CreateCreature()");
    IGeometry* creature = nullptr;
    QL_TRY(trace, "-", engine.core->CreateObject("cal3d", creatureFile, &creature));
    // The "cal3d" type always makes a skinned model.
    IModel* model = static_cast<IModel*>(creature);
    engine.model = model;

    // A new model's matrix is its base matrix, which stands the z-up data
    // upright; scale and placement come after it.
    D3DXMATRIX base;
    QL_TRY(trace, "-", model->GetMatrix(&base));
    QL_TRY(trace, "-", Place(model, base, creaturePosition));
    if (crowdSize < 2)
        return S_OK;

    clones = new (std::nothrow) IModel*[crowdSize - 1];
    QL_REQUIRE_MEMORY(trace, clones);
    for (uint32_t c = 0; c + 1 < crowdSize; ++c) {
        IGeometry* clone = nullptr;
        QL_TRY(trace, "-", model->Clone(&clone));
        clones[cloneCount++] = static_cast<IModel*>(clone);
        QL_TRY(trace, "-", Place(clones[c], base, ClonePosition(c)));
        // Spread evenly over the cycle by the golden ratio's fraction.
        float phase = shortestCycle * fmodf(0.618034f * (float)(c + 1), 1.0f);
        Loop(clones[c]);
        QL_TRY(trace, "-", clones[c]->Update(phase));
    }
    return S_OK;
}

IModel* CrowdCreature(const SampleEngine& engine, uint32_t index)
{
    if (index == 0)
        return engine.model;
    return index - 1 < cloneCount ? clones[index - 1] : nullptr;
}

void AnimateCrowd(SampleEngine&, float)
{
    for (uint32_t c = 0; c < cloneCount; ++c)
        Loop(clones[c]);
}

void ReleaseCrowd(SampleEngine&)
{
    for (uint32_t c = 0; c < cloneCount; ++c)
        clones[c]->Release();
    delete[] clones;
    clones = nullptr;
    cloneCount = 0;
}
