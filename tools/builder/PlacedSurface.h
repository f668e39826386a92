#pragma once
// The input surface made ready for the scene: scaled so that its longest side
// has the requested length, and put over the middle of the water so that it
// floats with its underside a little below the water's rest height.
//
//            ______
//           /      \          <- the surface, centred at x = z = 198
//   ~~~~~~~|~~~~~~~~|~~~~~~~  y = -1, the water at rest
//           \______/          <- underside at -1 - draft (a tenth of the height)

#include <Inventor/SbVec3d.h>
#include <Inventor/SbVec3f.h>

#include <array>
#include <string>
#include <vector>

#include "text/InputError.h"

#include "builder/ModelFile.h"

namespace wobble::builder {

class PlacedSurface {
public:
    static constexpr double kWaterCentre = 198.0;  // middle of the 100 x 100 cells of spacing 4
    static constexpr double kWaterRestHeight = -1.0;
    static constexpr double kDraftFraction = 0.1;  // share of the height that dips into the water
    // A side shorter than this share of the longest counts as none: the model is flat.
    static constexpr double kFlatness = 1e-6;

    // Scales and places `model`. Refuses, with an error naming `name`, a
    // model without faces and a flat or degenerate one (no cage can come of it).
    Status Place(const ModelFile& model, double size, const std::string& name);

    // Reverses every triangle's corner order: for a model whose faces run
    // clockwise seen from outside, which the program would light from behind.
    void TurnFacesOutward();

    std::vector<SbVec3f> vertices;              // the vertices faces use, in the model's order
    std::vector<std::array<int, 3>> triangles;  // indices into `vertices`
    std::vector<SbVec3d> exactVertices;         // `vertices` in double, for the geometry
    SbVec3d lower{0, 0, 0};                     // bounding box of `vertices`
    SbVec3d upper{0, 0, 0};
    double scale = 1.0;         // world length per model length
    int unusedVertexCount = 0;  // vertices of the model no face uses; left out
};

}  // namespace wobble::builder
