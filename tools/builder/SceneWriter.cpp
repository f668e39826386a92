#include "builder/SceneWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace wobble::builder {

namespace {

// %.9g gives back exactly the float that was written.
void AppendPoint(std::string& text, const char* prefix, const SbVec3f& p) {
    char line[96];
    std::snprintf(line, sizeof line, "%s%.9g %.9g %.9g\n", prefix, p[0], p[1], p[2]);
    text += line;
}

}  // namespace

std::string SceneWriter::TetText(const std::vector<SbVec3f>& vertices,
                                 const std::vector<std::array<int, 4>>& tetras) {
    std::string text;
    text.reserve(vertices.size() * 40 + tetras.size() * 32 + 256);
    text += "tet version 1.0\n";
    text += "num_materials 1\n";
    text += "num_vertices " + std::to_string(vertices.size()) + "\n";
    text += "num_tetras " + std::to_string(tetras.size()) + "\n";
    text += "num_triangles 0\n";
    text += "MATERIALS\n0\n";
    text += "VERTICES\n";
    for (const SbVec3f& v : vertices)
        AppendPoint(text, "", v);
    text += "TETRAS\n";
    char line[96];
    for (const auto& t : tetras) {
        std::snprintf(line, sizeof line, "%d %d %d %d 0\n", t[0], t[1], t[2], t[3]);
        text += line;
    }
    text += "TRIANGLES\n";
    return text;
}

std::string SceneWriter::ObjText(const std::vector<SbVec3f>& vertices,
                                 const std::vector<std::array<int, 3>>& triangles) {
    std::string text;
    text.reserve(vertices.size() * 44 + triangles.size() * 28 + 128);
    text += "# made by wobble-scene: " + std::to_string(vertices.size()) + " vertices, " +
            std::to_string(triangles.size()) + " triangles\n";
    for (const SbVec3f& v : vertices)
        AppendPoint(text, "v ", v);
    char line[96];
    for (const auto& t : triangles) {
        std::snprintf(line, sizeof line, "f %d %d %d\n", t[0] + 1, t[1] + 1, t[2] + 1);
        text += line;
    }
    return text;
}

std::string SceneWriter::ConfigText(const int controls[8], const std::string& stiffness,
                                    const std::string& mass) {
    std::string text = "version 0.1\n";
    text += std::string("tetfile ") + kTetName + "\n";
    text += std::string("objfile ") + kObjName + "\n";
    text += "points";
    for (int k = 0; k < 8; ++k)
        text += " " + std::to_string(controls[k]);
    text += "\n";
    text += "stiffness " + stiffness + "\n";
    text += "mass " + mass + "\n";
    return text;
}

Status SceneWriter::WriteFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return MakeInputError(temporary, 0, "cannot write: %s", std::strerror(errno));
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        const int reason = written ? errno : writeError;
        std::remove(temporary.c_str());
        return MakeInputError(temporary, 0, "cannot write: %s", std::strerror(reason));
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int reason = errno;
        std::remove(temporary.c_str());
        return MakeInputError(path, 0, "cannot put in place: %s", std::strerror(reason));
    }
    return Done{};
}

}  // namespace wobble::builder
