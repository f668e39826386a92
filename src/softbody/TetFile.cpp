// Reading the tetrahedral model file:
//
//   tet version 1.0
//   num_materials 1
//   num_vertices 5          particles, in the order of the vertex lines
//   num_tetras 2            at most this many tetra lines
//   num_triangles 0
//   MATERIALS ...           (anything up to here is skipped)
//   ...                     material data, skipped
//   VERTICES ...
//   0.0 0.0 0.0             x y z, one line a vertex
//   ...
//   TETRAS ...
//   0 1 2 3 0               four corner indices, then one number not used
//   ...
//   TRIANGLES ...           (or the end of the file); the rest is not read
//
// Lines are read in pieces of at most 255 characters, and each piece is
// matched with scanf rules, so %i takes decimal, 0-prefixed octal and 0x hex.

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "softbody/SoftBody.h"
#include "text/Console.h"
#include "text/FilePath.h"
#include "text/LineReader.h"

namespace wobble {

namespace {

bool StartsWith(const char* text, const char* marker) {
    return std::strncmp(text, marker, std::strlen(marker)) == 0;
}

// Shortest lines that can hold a vertex ("0 0 0\n") and a tetra ("0 0 0 0\n"):
// a header count the file's size cannot hold is refused before anything is
// allocated for it.
constexpr long long kMinVertexLineBytes = 6;
constexpr long long kMinTetraLineBytes = 8;
// Room reserved before the sections are read. A file's size says little of
// what it holds (a sparse file of gigabytes may hold nothing but NUL bytes),
// so the arrays start at most this large and grow with the lines actually
// read: memory follows the model, never the header's claims.
constexpr long long kFirstReserve = 1 << 16;

// Reads one "keyword %i" header line. Values outside 0..INT_MAX are refused
// with a message; a line that does not match fails without one.
bool ReadHeaderCount(LineReader& in, const std::string& fileName, const char* keyword, int& value,
                     InputError& error) {
    error = InputError{fileName, 0, ""};
    if (!in.Next())
        return false;
    char pattern[64];
    std::snprintf(pattern, sizeof pattern, "%s %%lli", keyword);
    long long parsed = 0;
    if (std::sscanf(in.text(), pattern, &parsed) != 1)
        return false;
    if (parsed < 0 || parsed > INT_MAX) {
        error = MakeInputError(fileName, in.lineNumber(), "%s %lld is outside 0..%d", keyword,
                               parsed, INT_MAX);
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// Reads pieces until one begins with `marker`. False (with the reason in
// `error`) when the file ends first.
bool SkipTo(LineReader& in, const std::string& fileName, const char* marker, InputError& error) {
    while (in.Next()) {
        if (StartsWith(in.text(), marker))
            return true;
    }
    error = MakeInputError(fileName, 0, "the file ends before its %s line", marker);
    return false;
}

Result<TetModel> ReadModel(const std::string& path, const std::string& fileName);

}  // namespace

Result<TetModel> ReadTetFile(const std::string& fileName, const std::string& folder) {
    try {
        return ReadModel(PathInFolder(folder, fileName), fileName);
    } catch (const std::bad_alloc&) {
        // A model larger than memory is refused like any other bad model.
        return MakeInputError(fileName, 0, "not enough memory for the model");
    }
}

Status SoftBody::LoadTetFile(const std::string& fileName, float stiffness, float mass,
                             const std::string& folder) {
    Clear();
    Result<TetModel> model = ReadTetFile(fileName, folder);
    if (!model)
        return model.error();
    Status built = Build(*model, stiffness, mass, fileName);
    if (!built)
        return built;
    ConsoleOut("Vertices %i\n", particleCount);
    ConsoleOut("Tetras   %i\n", tetraCount);
    ConsoleOut("Springs  %i\n", springCount);
    return Done{};
}

namespace {

Result<TetModel> ReadModel(const std::string& path, const std::string& fileName) {
    const InputError silent{fileName, 0, ""};
    LineReader in(path);
    if (!in.IsOpen())
        return silent;

    if (!in.Next() || std::strncmp(in.text(), "tet version 1.0", 15) != 0)
        return silent;

    InputError error;
    int materials = 0, declaredVertices = 0, declaredTetras = 0, triangles = 0;
    if (!ReadHeaderCount(in, fileName, "num_materials", materials, error))
        return error;
    if (!ReadHeaderCount(in, fileName, "num_vertices", declaredVertices, error))
        return error;
    const int verticesLine = in.lineNumber();
    if (!ReadHeaderCount(in, fileName, "num_tetras", declaredTetras, error))
        return error;
    if (!ReadHeaderCount(in, fileName, "num_triangles", triangles, error))
        return error;
    if (declaredVertices > in.FileSize() / kMinVertexLineBytes) {
        return MakeInputError(fileName, verticesLine,
                              "num_vertices %d is more than a file of %lld bytes can hold",
                              declaredVertices, in.FileSize());
    }

    if (!SkipTo(in, fileName, "MATERIALS", error))
        return error;
    TetModel model;
    model.vertices.reserve(
        static_cast<size_t>(std::min<long long>(declaredVertices, kFirstReserve)));
    // Fewer tetra lines than declared are fine, so reserve only what the file can hold.
    model.tetras.reserve(
        static_cast<size_t>(std::min({static_cast<long long>(declaredTetras),
                                      in.FileSize() / kMinTetraLineBytes + 1, kFirstReserve})));

    if (!SkipTo(in, fileName, "VERTICES", error))
        return error;

    for (;;) {
        if (!in.Next()) {
            // The file ends inside the vertex section.
            ConsoleOut("Error: more vertices than in file defined.\n");
            return silent;
        }
        if (StartsWith(in.text(), "TETRAS"))
            break;
        const int i = static_cast<int>(model.vertices.size());
        if (i >= declaredVertices) {
            ConsoleOut("Error: more vertices than in file defined.\n");
            return silent;
        }
        float x = 0.0f, y = 0.0f, z = 0.0f;
        const int got = std::sscanf(in.text(), "%f %f %f", &x, &y, &z);
        if (got != 3) {
            return MakeInputError(fileName, in.lineNumber(),
                                  "vertex %d has %d of its 3 coordinates", i, got < 0 ? 0 : got);
        }
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
            return MakeInputError(fileName, in.lineNumber(),
                                  "vertex %d has a coordinate that is not finite", i);
        }
        model.vertices.emplace_back(x, y, z);
    }
    const int vertexCount = static_cast<int>(model.vertices.size());
    if (vertexCount < declaredVertices) {
        return MakeInputError(fileName, in.lineNumber(), "%d vertex lines, but num_vertices is %d",
                              vertexCount, declaredVertices);
    }

    for (;;) {
        // A last tetra line that ends the file without a line break is read
        // like any other: dropping it would lose a tetra without a word.
        if (!in.Next())
            break;
        if (StartsWith(in.text(), "TRIANGLES"))
            break;
        if (static_cast<int>(model.tetras.size()) >= declaredTetras) {
            ConsoleOut("Error: more tetras than in file defined.\n");
            return silent;
        }
        long long index[4] = {0, 0, 0, 0};
        const int got = std::sscanf(in.text(), "%lli %lli %lli %lli", &index[0], &index[1],
                                    &index[2], &index[3]);
        if (got < 4) {
            return MakeInputError(fileName, in.lineNumber(),
                                  "tetra %zu has %d of its 4 corner indices", model.tetras.size(),
                                  got < 0 ? 0 : got);
        }
        std::array<int, 4> corners;
        for (int c = 0; c < 4; ++c) {
            if (index[c] < 0 || index[c] >= vertexCount) {
                return MakeInputError(fileName, in.lineNumber(),
                                      "corner index %lld is outside 0..%d", index[c],
                                      vertexCount - 1);
            }
            corners[c] = static_cast<int>(index[c]);
        }
        model.tetras.push_back(corners);
    }
    return model;
}

}  // namespace

}  // namespace wobble
