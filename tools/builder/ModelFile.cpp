#include "builder/ModelFile.h"

#include <sys/stat.h>

#include <assimp/DefaultIOSystem.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <unordered_map>
#include <utility>

#include "builder/BuildProgress.h"
#include "builder/ImportWatchdog.h"
#include "builder/LibraryCrashGuard.h"
#include "mesh/ModelTimeBudget.h"

namespace wobble::builder {

namespace {

// The import library's progress, passed on as the reading stage's.
class ReadingProgress : public Assimp::ProgressHandler {
public:
    bool Update(float percentage) override {
        if (percentage >= 0.0f)
            ReportProgress(BuildStage::kReading, percentage);
        return true;  // never cancel
    }
};

// The files the import library opens: the model and what it names (an OBJ's
// material library, a glTF's buffers). Only regular files: a named pipe or a
// device named there would make the reading wait for ever or never end.
class RegularFilesOnly : public Assimp::DefaultIOSystem {
public:
    bool Exists(const char* file) const override {
        struct stat info;
        return stat(file, &info) == 0 && S_ISREG(info.st_mode);
    }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        return Exists(file) ? Assimp::DefaultIOSystem::Open(file, mode) : nullptr;
    }
};

// The importer, freed under the crash guard as well: a reader that wrote past
// its arrays is often caught only when the scene it made is freed.
class GuardedImporter {
public:
    explicit GuardedImporter(const std::string& name) : name_(name) {}
    ~GuardedImporter() {
        const LibraryCrashGuard guard(name_);
        importer_.reset();
    }
    GuardedImporter(const GuardedImporter&) = delete;
    GuardedImporter& operator=(const GuardedImporter&) = delete;
    Assimp::Importer& importer() { return *importer_; }

private:
    const std::string& name_;
    std::unique_ptr<Assimp::Importer> importer_ = std::make_unique<Assimp::Importer>();
};

// A message of the import library as one printable line of reasonable length.
std::string OneLine(const char* text) {
    std::string line;
    for (const char* c = text; *c != '\0' && line.size() < 200; ++c)
        line += (static_cast<unsigned char>(*c) < 32 || *c == 127) ? ' ' : *c;
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line.empty() ? "the file is not a model the import library can read" : line;
}

// The import library's PLY reader looks for the end of the header for ever
// when the file has none (a file cut off inside its header), so such a file
// is refused before it is read. `contains(text)` says whether the file's
// bytes contain `text`; a file is PLY by its extension or its first word.
template <typename Contains>
Status RefuseHeaderWithoutEnd(const std::string& name, const std::string& extension,
                              const std::string& head, Contains&& contains) {
    auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    const bool ply = lower(extension) == "ply" || lower(head.substr(0, 3)) == "ply";
    if (ply && !contains("end_header"))
        return MakeInputError(name, 0, "the PLY header has no end_header: the file is cut short");
    return Done{};
}

// Whether the file at `path` contains `text`, read a piece at a time.
bool FileContains(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return true;  // the import's own reading says why
    std::string window;
    char piece[1 << 16];
    bool found = false;
    size_t got;
    while (!found && (got = std::fread(piece, 1, sizeof piece, file)) > 0) {
        window.append(piece, got);
        found = window.find(text) != std::string::npos;
        // The end of this piece may hold the start of the text.
        window.erase(0, window.size() - std::min(window.size(), text.size() - 1));
    }
    std::fclose(file);
    return found;
}

// Row-major 4 x 4 transform in double, so that a chain of node transforms
// loses nothing more than the file's floats already did.
struct Transform {
    double m[4][4];

    static Transform Identity() {
        Transform t{};
        for (int i = 0; i < 4; ++i)
            t.m[i][i] = 1.0;
        return t;
    }
    static Transform From(const aiMatrix4x4& a) {
        const float* in = &a.a1;  // a1..a4, b1..b4, ...: row by row
        Transform t{};
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j)
                t.m[i][j] = in[4 * i + j];
        }
        return t;
    }
    Transform operator*(const Transform& b) const {
        Transform t{};
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                for (int k = 0; k < 4; ++k)
                    t.m[i][j] += m[i][k] * b.m[k][j];
            }
        }
        return t;
    }
    SbVec3d Apply(const aiVector3D& v) const {
        const double p[3] = {v.x, v.y, v.z};
        SbVec3d out;
        for (int i = 0; i < 3; ++i)
            out[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3];
        return out;
    }
    // Negative when the transform mirrors, which turns every face's winding.
    double Determinant3() const {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    }
};

struct PositionKey {
    double x, y, z;
    bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct PositionHash {
    size_t operator()(const PositionKey& k) const {
        // -0 and +0 are the same position and must hash alike.
        const double parts[3] = {k.x + 0.0, k.y + 0.0, k.z + 0.0};
        size_t h = 1469598103934665603ull;
        for (double d : parts) {
            uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            h = (h ^ bits) * 1099511628211ull;
            h ^= h >> 29;
        }
        return h;
    }
};

// The primitive types a mesh really holds, from its faces. Some importers set
// them wrongly for broken files (a truncated PLY has faces of no corners
// marked as polygons), and the triangulation step trusts them: it stops the
// program when they are wrong. A face of no corners counts as a point, left out.
unsigned PrimitiveTypesOf(const aiMesh& mesh) {
    unsigned types = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const unsigned n = mesh.mFaces[f].mNumIndices;
        if (n <= 1)
            types |= aiPrimitiveType_POINT;
        else if (n == 2)
            types |= aiPrimitiveType_LINE;
        else if (n == 3)
            types |= aiPrimitiveType_TRIANGLE;
        else if (n > 3)
            types |= aiPrimitiveType_POLYGON;
    }
    return types;
}

// Checks every face's corners against its mesh's vertices before any step of
// the library trusts them, and mends the primitive types.
Status CheckFaces(aiScene& scene, const std::string& name) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        aiMesh* mesh = scene.mMeshes[m];
        if (mesh == nullptr)
            return MakeInputError(name, 0, "mesh %u is missing", m + 1);
        if (mesh->mNumFaces > 0 && (mesh->mFaces == nullptr || mesh->mVertices == nullptr))
            return MakeInputError(name, 0, "mesh %u has faces but no vertices", m + 1);
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices > 0 && face.mIndices == nullptr)
                return MakeInputError(name, 0, "face %u of mesh %u has no corners", f + 1, m + 1);
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                if (face.mIndices[k] >= mesh->mNumVertices) {
                    return MakeInputError(name, 0,
                                          "face %u of mesh %u names vertex %u of its %u vertices",
                                          f + 1, m + 1, face.mIndices[k] + 1, mesh->mNumVertices);
                }
            }
        }
        mesh->mPrimitiveTypes = PrimitiveTypesOf(*mesh);
    }
    return Done{};
}

// Calls `visit(mesh, transform)` for every mesh instance the node tree
// places, depth first from the root; every mesh once, untransformed, when
// the file has no node tree. Stops at the first refusal `visit` returns.
template <typename Visit>
Status ForEachInstance(const aiScene& scene, const std::string& name, Visit&& visit) {
    constexpr int kMaxDepth = 1000;
    if (scene.mRootNode == nullptr) {
        for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
            Status visited = visit(*scene.mMeshes[m], Transform::Identity());
            if (!visited)
                return visited;
        }
        return Done{};
    }
    struct Placed {
        const aiNode* node;
        Transform transform;  // from the node's space to the model's
        int depth;
    };
    std::vector<Placed> stack;
    stack.push_back({scene.mRootNode, Transform::From(scene.mRootNode->mTransformation), 0});
    while (!stack.empty()) {
        const Placed placed = stack.back();
        stack.pop_back();
        const aiNode& node = *placed.node;
        for (unsigned k = 0; k < node.mNumMeshes; ++k) {
            const unsigned m = node.mMeshes[k];
            if (m >= scene.mNumMeshes) {
                return MakeInputError(name, 0, "a node places mesh %u of the file's %u", m + 1,
                                      scene.mNumMeshes);
            }
            Status visited = visit(*scene.mMeshes[m], placed.transform);
            if (!visited)
                return visited;
        }
        if (node.mNumChildren > 0 && placed.depth >= kMaxDepth)
            return MakeInputError(name, 0, "the node tree is more than %d levels deep", kMaxDepth);
        // Children pushed last first, so that they are visited in file order.
        for (unsigned c = node.mNumChildren; c-- > 0;) {
            const aiNode* child = node.mChildren[c];
            if (child != nullptr) {
                stack.push_back({child, placed.transform * Transform::From(child->mTransformation),
                                 placed.depth + 1});
            }
        }
    }
    return Done{};
}

}  // namespace

Status ModelFile::CountFaces(const aiScene& scene, const std::string& name) {
    long long corners = 0;  // faces of every instance, refused beyond the limit before any is taken
    return ForEachInstance(scene, name, [&](const aiMesh& mesh, const Transform&) -> Status {
        corners += mesh.mNumFaces;
        if (corners > kMaxTriangles) {
            return MakeInputError(name, 0, "more than %lld faces once every instance is placed",
                                  kMaxTriangles);
        }
        ++meshCount;
        meshVertexCount += mesh.mNumVertices;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const unsigned n = mesh.mFaces[f].mNumIndices;
            if (n < 3) {
                ++shortFaceCount;
            } else {
                ++faceCount;
                polygonCount += n > 3;
            }
        }
        return Done{};
    });
}

Status ModelFile::TakeTriangles(const aiScene& scene, const std::string& name) {
    std::unordered_map<PositionKey, int, PositionHash> indexOf;
    std::vector<int> corner;  // scratch: the merged index of each vertex of one mesh instance
    return ForEachInstance(scene, name, [&](const aiMesh& mesh, const Transform& t) -> Status {
        if (triangles.size() + mesh.mNumFaces > static_cast<size_t>(kMaxTriangles)) {
            return MakeInputError(name, 0, "more than %lld triangles once every instance is placed",
                                  kMaxTriangles);
        }
        const bool mirrored = t.Determinant3() < 0.0;
        corner.assign(mesh.mNumVertices, -1);
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3)
                continue;  // points and lines, counted already
            std::array<int, 3> tri;
            for (int k = 0; k < 3; ++k) {
                const unsigned v = face.mIndices[k];
                if (corner[v] < 0) {
                    const SbVec3d p = t.Apply(mesh.mVertices[v]);
                    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
                        return MakeInputError(name, 0,
                                              "vertex %u of mesh %u has a coordinate that is not "
                                              "finite",
                                              v + 1, static_cast<unsigned>(meshCount) + 1);
                    }
                    const auto [at, added] = indexOf.emplace(PositionKey{p[0], p[1], p[2]},
                                                             static_cast<int>(vertices.size()));
                    if (added)
                        vertices.push_back(p);
                    corner[v] = at->second;
                }
                tri[k] = corner[v];
            }
            if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2]) {
                ++collapsedTriangleCount;
                continue;
            }
            if (mirrored)
                std::swap(tri[1], tri[2]);
            triangles.push_back(tri);
        }
        ++meshCount;
        return Done{};
    });
}

// Runs the import library (`read` reads the file or the bytes with the
// importer it is given), checks what it made, counts the faces as written and
// takes the triangles once the library has cut them; all of it within the
// time budget of a file of `bytes`.
template <typename Read>
Status ModelFile::Import(const std::string& name, uintmax_t bytes, Read&& read) {
    const ImportWatchdog watchdog(name, ModelTimeBudget::ImportSeconds(bytes));
    GuardedImporter guarded(name);
    Assimp::Importer& importer = guarded.importer();
    importer.SetProgressHandler(new ReadingProgress);  // the importer deletes it
    importer.SetIOHandler(new RegularFilesOnly);       // and this
    ReportProgress(BuildStage::kReading, 0.0);
    try {
        const aiScene* scene = nullptr;
        {
            const LibraryCrashGuard guard(name);
            scene = read(importer);
        }
        if (scene == nullptr) {
            // The library catches what its readers throw and keeps only the text.
            if (std::strcmp(importer.GetErrorString(), "std::bad_alloc") == 0)
                throw std::bad_alloc();
            return MakeInputError(name, 0, "cannot read the model: %s",
                                  OneLine(importer.GetErrorString()).c_str());
        }
        // The faces are counted as written and checked before the
        // triangulation relies on them.
        Status checked = CheckFaces(const_cast<aiScene&>(*scene), name);
        if (!checked)
            return checked;
        Status counted = CountFaces(*scene, name);
        if (!counted)
            return counted;
        {
            const LibraryCrashGuard guard(name);
            scene = importer.ApplyPostProcessing(aiProcess_Triangulate);
        }
        if (scene == nullptr) {
            return MakeInputError(name, 0, "cannot cut the model's faces into triangles: %s",
                                  OneLine(importer.GetErrorString()).c_str());
        }
        meshCount = 0;  // counted again as the instances are taken
        Status taken = TakeTriangles(*scene, name);
        if (!taken)
            return taken;
        ReportProgress(BuildStage::kReading, 1.0);
        return Done{};
    } catch (const std::bad_alloc&) {
        return MakeInputError(name, 0,
                              "cannot read the model: it asks for more memory than there is "
                              "(a count in the file too large?)");
    } catch (const std::exception& e) {
        return MakeInputError(name, 0, "cannot read the model: %s", OneLine(e.what()).c_str());
    }
}

const char* ModelFile::FormatsText() {
    return "STL, PLY, glTF and GLB, FBX, 3DS, DAE (Collada), OBJ, and the other formats of\n"
           "the Open Asset Import Library (Blender, X, LWO, LWS, MS3D, OFF, AC3D, IFC, ...)";
}

void ModelFile::Clear() {
    vertices.clear();
    triangles.clear();
    faceCount = 0;
    polygonCount = 0;
    shortFaceCount = 0;
    collapsedTriangleCount = 0;
    meshCount = 0;
    meshVertexCount = 0;
}

Status ModelFile::Load(const std::string& path) {
    Clear();
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return MakeInputError(path, 0, "cannot open the file: %s", std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return MakeInputError(path, 0, "is a folder, not a model file");
    if (!S_ISREG(info.st_mode))
        return MakeInputError(path, 0, "is not a regular file, so not a model file");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return MakeInputError(path, 0, "cannot open the file: %s", std::strerror(errno));
    char head[3];
    const size_t headSize = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (headSize == 0)
        return MakeInputError(path, 0, "the file is empty: there is no surface to build on");
    const size_t dot = path.find_last_of("./");
    Status sound = RefuseHeaderWithoutEnd(
        path, dot != std::string::npos && path[dot] == '.' ? path.substr(dot + 1) : "",
        std::string(head, headSize),
        [&](const std::string& text) { return FileContains(path, text); });
    if (!sound)
        return sound;

    Status read = Import(path, static_cast<uintmax_t>(info.st_size),
                         [&](Assimp::Importer& importer) { return importer.ReadFile(path, 0); });
    if (!read)
        Clear();
    return read;
}

Status ModelFile::Parse(const std::string& name, const std::string& bytes,
                        const std::string& formatHint) {
    Clear();
    if (bytes.empty())
        return MakeInputError(name, 0, "the file is empty: there is no surface to build on");
    Status sound = RefuseHeaderWithoutEnd(
        name, formatHint, bytes.substr(0, 3),
        [&](const std::string& text) { return bytes.find(text) != std::string::npos; });
    if (!sound)
        return sound;
    Status read = Import(name, bytes.size(), [&](Assimp::Importer& importer) {
        return importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, formatHint.c_str());
    });
    if (!read)
        Clear();
    return read;
}

}  // namespace wobble::builder
