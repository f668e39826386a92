// Writes the sample scene: config.txt, the tetrahedral body and its OBJ skin.
//
// The body is a rounded hull 40 units long, nose towards +x, floating at the
// middle of the water (which rests at y = -1 over x and z from 0 to 396) and
// dipping 3.5 units into it. Its tetrahedra are a lattice of cubes (each cut
// into six tetras around its main diagonal, so neighbouring cubes share their
// face diagonals) whose centres lie inside the hull; the skin is the hull
// itself, a smooth surface of quads with triangle fans at the two tips,
// counter-clockwise seen from outside.
//
//          top view (y up out of the page)            side view
//                 2 . . . . . 6                      0 . . . . . . 4
//       nose <  0/1 ----------- 4/5  > tail         |    hull     |   water -1
//                 3 . . . . . 7                      1 . . . . . . 5
//
// Control particles 0 and 1 sit at the nose (top and bottom), 2 and 3 at the
// front quarter on the right (+z) and left (-z), 4 to 7 likewise at the tail.
// Half the distance between 2 and 3 is the water's body radius: about half
// the hull's width.
//
// Usage: make-sample-scene <output folder>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The hull: |x| <= kHalfLength, cross-sections ellipses with half-height
// kHalfHeight * Profile(u) and half-width kHalfWidth * Profile(u), u = x / kHalfLength.
constexpr double kHalfLength = 20.0;
constexpr double kHalfHeight = 5.5;
constexpr double kHalfWidth = 8.0;
constexpr double kCentre[3] = {198.0, 1.0, 198.0};
constexpr double kSpacing = 2.5;  // lattice cube edge
constexpr int kRings = 40;        // skin rings between the tips
constexpr int kSegments = 36;     // skin vertices around a ring
// Spring constant over particle mass: with dt 0.05 this lattice blows up
// between 100 and 120; 30 leaves a margin of more than three. Full thrust (30
// on each control particle) then stretches the springs near them by about a
// fifth, which reads as a soft body and not as a rubber band.
constexpr float kStiffness = 30.0f;
constexpr float kMass = 1.0f;

// A slightly fuller front: the nose is blunt, the tail tapers.
double Profile(double u) {
    if (u <= -1.0 || u >= 1.0)
        return 0.0;
    return std::sqrt(1.0 - u * u) * (1.0 + 0.12 * u);
}

bool InsideHull(double x, double y, double z) {
    const double r = Profile(x / kHalfLength);
    if (r <= 0.0)
        return false;
    const double ey = y / (kHalfHeight * r), ez = z / (kHalfWidth * r);
    return ey * ey + ez * ez <= 1.0;
}

struct Lattice {
    std::map<std::tuple<int, int, int>, int> index;  // lattice point -> particle
    std::vector<std::tuple<int, int, int>> points;   // particle -> lattice point
    std::vector<std::array<int, 4>> tetras;

    int Particle(int i, int j, int k) {
        const auto key = std::make_tuple(i, j, k);
        const auto found = index.find(key);
        if (found != index.end())
            return found->second;
        const int id = static_cast<int>(points.size());
        index.emplace(key, id);
        points.push_back(key);
        return id;
    }

    std::array<double, 3> Position(int id) const {
        const auto [i, j, k] = points[id];
        return {kCentre[0] + i * kSpacing, kCentre[1] + j * kSpacing, kCentre[2] + k * kSpacing};
    }
};

// Lattice point indices run so that cube (i, j, k) spans points i..i+1 etc.
// with cube centres at ((i + 0.5) * kSpacing, ...) around the hull's centre.
Lattice BuildLattice() {
    static const int kAxisOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                          {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    Lattice lattice;
    const int nx = static_cast<int>(std::ceil(kHalfLength / kSpacing));
    const int ny = static_cast<int>(std::ceil(kHalfHeight / kSpacing));
    const int nz = static_cast<int>(std::ceil(kHalfWidth / kSpacing));
    for (int i = -nx; i < nx; ++i) {
        for (int j = -ny; j < ny; ++j) {
            for (int k = -nz; k < nz; ++k) {
                if (!InsideHull((i + 0.5) * kSpacing, (j + 0.5) * kSpacing, (k + 0.5) * kSpacing))
                    continue;
                for (const auto& order : kAxisOrders) {
                    int at[3] = {i, j, k};
                    std::array<int, 4> corner;
                    corner[0] = lattice.Particle(at[0], at[1], at[2]);
                    for (int step = 0; step < 3; ++step) {
                        ++at[order[step]];
                        corner[step + 1] = lattice.Particle(at[0], at[1], at[2]);
                    }
                    lattice.tetras.push_back(corner);
                }
            }
        }
    }
    return lattice;
}

// The particle nearest to a point given relative to the hull's centre.
int Nearest(const Lattice& lattice, double x, double y, double z) {
    int best = -1;
    double bestDistance = 1e300;
    for (int id = 0; id < static_cast<int>(lattice.points.size()); ++id) {
        const auto p = lattice.Position(id);
        const double dx = p[0] - kCentre[0] - x, dy = p[1] - kCentre[1] - y,
                     dz = p[2] - kCentre[2] - z;
        const double d = dx * dx + dy * dy + dz * dz;
        if (d < bestDistance) {
            bestDistance = d;
            best = id;
        }
    }
    return best;
}

bool WriteTetFile(const std::string& path, const Lattice& lattice) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr)
        return false;
    std::fprintf(out,
                 "tet version 1.0\nnum_materials 1\nnum_vertices %zu\nnum_tetras %zu\n"
                 "num_triangles 0\nMATERIALS\n0\nVERTICES\n",
                 lattice.points.size(), lattice.tetras.size());
    for (int id = 0; id < static_cast<int>(lattice.points.size()); ++id) {
        const auto p = lattice.Position(id);
        std::fprintf(out, "%.4f %.4f %.4f\n", p[0], p[1], p[2]);
    }
    std::fprintf(out, "TETRAS\n");
    for (const auto& t : lattice.tetras) {
        std::fprintf(out, "%d %d %d %d 0\n", t[0], t[1], t[2], t[3]);
    }
    std::fprintf(out, "TRIANGLES\n");
    return std::fclose(out) == 0;
}

bool WriteObjFile(const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr)
        return false;
    std::fprintf(out, "# wobble sample hull, written by tools/make-sample-scene\no hull\n");
    // Vertex 1 is the tail tip, then the rings from tail to nose, then the nose tip.
    std::fprintf(out, "v %.5f %.5f %.5f\n", kCentre[0] - kHalfLength, kCentre[1], kCentre[2]);
    const double pi = std::acos(-1.0);
    for (int ring = 1; ring <= kRings; ++ring) {
        // Rings crowd towards the tips, where the hull bends fastest.
        const double u = -std::cos(pi * ring / (kRings + 1));
        const double r = Profile(u);
        for (int s = 0; s < kSegments; ++s) {
            const double angle = 2.0 * pi * s / kSegments;
            std::fprintf(out, "v %.5f %.5f %.5f\n", kCentre[0] + kHalfLength * u,
                         kCentre[1] + kHalfHeight * r * std::cos(angle),
                         kCentre[2] + kHalfWidth * r * std::sin(angle));
        }
    }
    std::fprintf(out, "v %.5f %.5f %.5f\n", kCentre[0] + kHalfLength, kCentre[1], kCentre[2]);
    const int tail = 1, nose = 2 + kRings * kSegments;
    auto at = [](int ring, int s) { return 2 + (ring - 1) * kSegments + s % kSegments; };
    std::fprintf(out, "g hull\ns 1\n");
    // Counter-clockwise seen from outside: around the ring first, then towards the nose.
    for (int s = 0; s < kSegments; ++s) {
        std::fprintf(out, "f %d %d %d\n", tail, at(1, s + 1), at(1, s));
    }
    for (int ring = 1; ring < kRings; ++ring) {
        for (int s = 0; s < kSegments; ++s) {
            std::fprintf(out, "f %d %d %d %d\n", at(ring, s), at(ring, s + 1), at(ring + 1, s + 1),
                         at(ring + 1, s));
        }
    }
    for (int s = 0; s < kSegments; ++s) {
        std::fprintf(out, "f %d %d %d\n", nose, at(kRings, s), at(kRings, s + 1));
    }
    return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample-scene <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const Lattice lattice = BuildLattice();
    // Nose and tail pairs on the centre line, side pairs at the quarters.
    const int controls[8] = {Nearest(lattice, 17.5, 2.5, 0.0),  Nearest(lattice, 17.5, -2.5, 0.0),
                             Nearest(lattice, 10.0, 0.0, 7.5),  Nearest(lattice, 10.0, 0.0, -7.5),
                             Nearest(lattice, -17.5, 2.5, 0.0), Nearest(lattice, -17.5, -2.5, 0.0),
                             Nearest(lattice, -10.0, 0.0, 7.5), Nearest(lattice, -10.0, 0.0, -7.5)};

    if (!WriteTetFile(folder + "/body.tet", lattice) || !WriteObjFile(folder + "/body.obj")) {
        std::perror("make-sample-scene");
        return 1;
    }
    std::FILE* config = std::fopen((folder + "/config.txt").c_str(), "w");
    if (config == nullptr) {
        std::perror("make-sample-scene");
        return 1;
    }
    std::fprintf(config, "version 0.1\ntetfile body.tet\nobjfile body.obj\npoints");
    for (int c : controls)
        std::fprintf(config, " %d", c);
    std::fprintf(config, "\nstiffness %.1f\nmass %.1f\n", kStiffness, kMass);
    if (std::fclose(config) != 0) {
        std::perror("make-sample-scene");
        return 1;
    }
    std::printf("%zu particles, %zu tetras; control particles", lattice.points.size(),
                lattice.tetras.size());
    for (int c : controls)
        std::printf(" %d", c);
    std::printf("\n");
    return 0;
}
