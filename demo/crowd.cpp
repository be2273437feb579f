// The creatures of the skinned demo. The first stands where it always has and
// moves only when the controls start an animation; every clone plays the
// idle and wave animations, blended 1 to 3, in a loop, started at its own
// point of their cycles so no two move alike.
#define QL_SOURCE_FILE "main"

#include "crowd.h"

#include "foundation/qltrace.h"

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
// neighbourhood, so that it stands apart in front with room to spin. Small
// crowds take seven columns; larger ones the park's whole width, then
// tighter spacing, so that every clone stands on the park.
constexpr int narrowColumns = 7;
constexpr float widestSpacing = 45.0f;
constexpr float spacingStep = 0.5f;
constexpr float fountainClearance = 60.0f;
// The first creature's room: a clone is at least this far from it across,
// or this far behind it.
constexpr float firstClearance = 67.5f;

constexpr uint32_t idleAnimation = 0, waveAnimation = 3;
constexpr float idleWeight = 1.0f, waveWeight = 3.0f;
constexpr float shortestCycle = 1.5f;  // the wave's; a phase stays below it

bool ClearOfOthers(const D3DXVECTOR3& at)
{
    bool nearFirst = fabsf(at.x - creaturePosition.x) < firstClearance && at.z - creaturePosition.z < firstClearance;
    bool inFountain = at.x * at.x + at.z * at.z < fountainClearance * fountainClearance;
    return !nearFirst && !inFountain;
}

// The free slots of a grid with `halfColumns` columns each side of the
// middle one, `spacing` apart, on rows up to the park's far edge; at most
// `wanted` of them, into `slots` when it is not null.
uint32_t GridSlots(int halfColumns, float spacing, uint32_t wanted, D3DXVECTOR3* slots)
{
    uint32_t found = 0;
    for (int row = 0; found < wanted; ++row) {
        float z = creaturePosition.z + row * spacing;
        if (z > parkEdge)
            break;
        for (int column = -halfColumns; column <= halfColumns && found < wanted; ++column) {
            D3DXVECTOR3 at(column * spacing, 0.0f, z);
            if (!ClearOfOthers(at))
                continue;
            if (slots)
                slots[found] = at;
            ++found;
        }
    }
    return found;
}

}  // namespace

uint32_t CrowdPositions(uint32_t clones, D3DXVECTOR3* positions)
{
    if (clones == 0)
        return 0;
    for (float spacing = widestSpacing; spacing > spacingStep; spacing -= spacingStep) {
        if (spacing == widestSpacing && GridSlots(narrowColumns / 2, spacing, clones, nullptr) == clones)
            return GridSlots(narrowColumns / 2, spacing, clones, positions);
        int widest = (int)(parkEdge / spacing);
        if (GridSlots(widest, spacing, clones, nullptr) == clones)
            return GridSlots(widest, spacing, clones, positions);
    }
    return 0;
}

namespace {

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

void SetCrowdSize(Crowd& crowd, uint32_t creatures)
{
    crowd.size = creatures < 1 ? 1 : creatures > maximumCrowd ? maximumCrowd : creatures;
}

HRESULT CreateCrowd(SampleEngine& engine, void* user)
{
    TraceContext trace("CreateCreature()");
    Crowd& crowd = *static_cast<Crowd*>(user);
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
    if (crowd.size < 2)
        return S_OK;

    crowd.clones = new (std::nothrow) IModel*[crowd.size - 1];
    QL_REQUIRE_MEMORY(trace, crowd.clones);
    D3DXVECTOR3 positions[maximumCrowd];
    QL_ASSERT(trace, CrowdPositions(crowd.size - 1, positions) == crowd.size - 1);
    for (uint32_t c = 0; c + 1 < crowd.size; ++c) {
        IGeometry* clone = nullptr;
        QL_TRY(trace, "-", model->Clone(&clone));
        crowd.clones[crowd.cloneCount++] = static_cast<IModel*>(clone);
        QL_TRY(trace, "-", Place(crowd.clones[c], base, positions[c]));
        // Spread evenly over the cycle by the golden ratio's fraction.
        float phase = shortestCycle * fmodf(0.618034f * (float)(c + 1), 1.0f);
        Loop(crowd.clones[c]);
        QL_TRY(trace, "-", crowd.clones[c]->Update(phase));
    }
    return S_OK;
}

IModel* CrowdCreature(const SampleEngine& engine, const Crowd& crowd, uint32_t index)
{
    if (index == 0)
        return engine.model;
    return index - 1 < crowd.cloneCount ? crowd.clones[index - 1] : nullptr;
}

void AnimateCrowd(SampleEngine&, void* user, float)
{
    const Crowd& crowd = *static_cast<Crowd*>(user);
    for (uint32_t c = 0; c < crowd.cloneCount; ++c)
        Loop(crowd.clones[c]);
}

void ReleaseCrowd(SampleEngine&, void* user)
{
    Crowd& crowd = *static_cast<Crowd*>(user);
    for (uint32_t c = 0; c < crowd.cloneCount; ++c)
        crowd.clones[c]->Release();
    delete[] crowd.clones;
    crowd.clones = nullptr;
    crowd.cloneCount = 0;
}

void UseCrowd(SampleProgram& program, Crowd& crowd)
{
    program.user = &crowd;
    program.createModels = CreateCrowd;
    program.animateModels = AnimateCrowd;
    program.releaseModels = ReleaseCrowd;
}
