// The skinned demo: the sample's park, light, font and controls, with the
// demo creature standing on the avenue in front of the fountain. Space and
// Shift or Control start its animations through the sample's controls.
#include <sampleapp.h>

#include <qltrace.h>

namespace {

const char creatureFile[] = "./data/creature.cfg";
// The creature is authored about 136 units tall; at this scale it stands
// as high as the park's lamps, under the circling light, so it casts a
// shadow that turns with the light.
constexpr float creatureScale = 0.6f;
// On the south avenue, between the fountain's ring and the benches, facing
// the start-up camera.
const D3DXVECTOR3 creaturePosition(0.0f, 0.0f, -95.0f);

const char demoHelp[] = "\n'Space' to make the creature spin\n'Shift' or 'Ctrl' to make it jump";

HRESULT CreateCreature(SampleEngine& engine)
{
    TraceContext trace("CreateCreature()");
    IGeometry* creature = nullptr;
    QL_TRY(trace, "-", engine.core->CreateObject("cal3d", creatureFile, &creature));
    // The "cal3d" type always makes a skinned model.
    IModel* model = static_cast<IModel*>(creature);
    engine.model = model;

    // A new model's matrix is its base matrix, which stands the z-up data
    // upright; scale and placement come after it.
    D3DXMATRIX base, scaling, translation, world;
    QL_TRY(trace, "-", model->GetMatrix(&base));
    D3DXMatrixScaling(&scaling, creatureScale, creatureScale, creatureScale);
    D3DXMatrixTranslation(&translation, creaturePosition.x, creaturePosition.y, creaturePosition.z);
    D3DXMatrixMultiply(&world, &base, &scaling);
    D3DXMatrixMultiply(&world, &world, &translation);
    QL_TRY(trace, "-", model->SetMatrix(world));
    return S_OK;
}

}  // namespace

int main()
{
    SampleProgram demo;
    demo.title = "Quarlight Skinned Demo";
    demo.banner = "Quarlight Engine - skinned model demo";
    demo.extraHelp = demoHelp;
    demo.createModels = CreateCreature;
    return RunSample(demo);
}
