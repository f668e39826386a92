// The fast OBJ loader against a transcription of the same algorithm onto the
// C library's fscanf, fgets and sscanf (ObjReference.cpp): on generated and
// on hostile files, every printed line, every count, every index and every
// float's bit pattern must agree.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>

#include "ObjReference.h"
#include "TestFiles.h"
#include "math/ParallelFor.h"
#include "mesh/SurfaceMesh.h"

namespace wobble {
namespace {

using test::CaptureStderr;
using test::CaptureStdout;
using test::ScratchDir;

template <class Vec, int N>
std::vector<uint32_t> Bits(const std::vector<Vec>& values) {
    std::vector<uint32_t> bits;
    for (const Vec& v : values) {
        for (int i = 0; i < N; ++i)
            bits.push_back(std::bit_cast<uint32_t>(v[i]));
    }
    return bits;
}

// The same, but every NaN alike: which NaN operand's sign an arithmetic
// result carries depends on how the compiler ordered the operands.
std::vector<uint32_t> ComputedBits(const std::vector<SbVec3f>& values) {
    std::vector<uint32_t> bits = Bits<SbVec3f, 3>(values);
    for (uint32_t& b : bits) {
        if ((b & 0x7fffffffu) > 0x7f800000u)
            b = 0x7fc00000u;
    }
    return bits;
}

const char* const kSquareWithAttributes =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "vn 0 0 1\nvn 1 0 0\nvn 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n";

// Loads `path` with both loaders and expects the same outcome in every
// detail. Returns whether the fast loader succeeded.
bool ExpectSameAsReference(const std::string& path, const std::string& what) {
    SurfaceMesh fast, reference;
    bool fastOk = false, referenceOk = false;
    std::string fastOut, referenceOut;
    const std::string fastErr = CaptureStderr(
        [&] { fastOut = CaptureStdout([&] { fastOk = test::Reported(fast.LoadMesh(path)); }); });
    const std::string referenceErr = CaptureStderr([&] {
        referenceOut =
            CaptureStdout([&] { referenceOk = test::ReferenceLoadMesh(path, reference); });
    });
    SCOPED_TRACE(what);
    EXPECT_EQ(fastOk, referenceOk) << fastOut << fastErr << "\n---\n"
                                   << referenceOut << referenceErr;
    EXPECT_EQ(fastOut, referenceOut);
    EXPECT_EQ(fastErr, referenceErr);
    EXPECT_EQ(fast.vertexCount, reference.vertexCount);
    EXPECT_EQ(fast.normalCount, reference.normalCount);
    EXPECT_EQ(fast.texCoordCount, reference.texCoordCount);
    EXPECT_EQ(fast.triangleCount, reference.triangleCount);
    EXPECT_EQ((Bits<SbVec3f, 3>(fast.vertices)), (Bits<SbVec3f, 3>(reference.vertices)));
    EXPECT_EQ((Bits<SbVec3f, 3>(fast.normals)), (Bits<SbVec3f, 3>(reference.normals)));
    EXPECT_EQ((Bits<SbVec2f, 2>(fast.texCoords)), (Bits<SbVec2f, 2>(reference.texCoords)));
    EXPECT_EQ(fast.vertexIndices, reference.vertexIndices);
    EXPECT_EQ(fast.normalIndices, reference.normalIndices);
    EXPECT_EQ(fast.texCoordIndices, reference.texCoordIndices);
    EXPECT_EQ(ComputedBits(fast.faceNormals), ComputedBits(reference.faceNormals));
    EXPECT_EQ(fast.vertexTetra, reference.vertexTetra);
    EXPECT_EQ(fast.barycentric.size(), reference.barycentric.size());
    return fastOk;
}

// While it lives, every file with a statement past its middle has its
// second pass read in two halves at once.
class HalvedReading {
public:
    HalvedReading() : threads_(ParallelThreads()) {
        SetParallelThreads(2);
        SurfaceMesh::SetHalvedReadingFrom(0);
    }
    ~HalvedReading() {
        SurfaceMesh::SetHalvedReadingFrom(4 << 20);
        SetParallelThreads(threads_);
    }

private:
    int threads_;
};

class Generator {
public:
    explicit Generator(uint32_t seed) : rng_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    std::string Digits(int most) {
        std::string s;
        const int n = 1 + Pick(most);
        for (int i = 0; i < n; ++i)
            s += static_cast<char>('0' + Pick(10));
        return s;
    }

    std::string Space() {
        static const char* kSpaces[] = {" ", " ", " ", "  ", "\t", " \t ", "\r", "\v", "\f"};
        return kSpaces[Pick(9)];
    }

    std::string LineEnd() { return Chance(10) ? "\r\n" : "\n"; }

    std::string Number(bool hostile) {
        std::string sign = Chance(30) ? (Chance(50) ? "-" : "+") : "";
        if (hostile && Chance(25)) {
            static const char* kOdd[] = {"inf",  "INFINITY", "nan",   "NaN",   "infin", "na",
                                         "nax",  "0x1.8p3",  "0x",    "0x.p1", ".",     "-.",
                                         "1e",   "1e+",      "1.2.3", "1e5.3", "0xAbC", "00012",
                                         "1..2", "e5",       "9e99",  "1e-50", "4e-45", "0x1p-140",
                                         "i",    "+"};
            return sign + kOdd[Pick(26)];
        }
        std::string s = sign;
        switch (Pick(4)) {
            case 0:
                s += Digits(4);
                break;
            case 1:
                s += Digits(3) + "." + Digits(7);
                break;
            case 2:
                s += "." + Digits(5);
                break;
            default:
                s += Digits(2) + "." + Digits(4) + (Chance(50) ? "e" : "E") +
                     (Chance(50) ? "-" : "") + Digits(2);
                break;
        }
        if (Chance(3))
            s += Digits(30);  // long mantissas round correctly too
        return s;
    }

    std::string Index(int count, bool hostile) {
        if (count == 0 || (hostile && Chance(3))) {
            return std::to_string(Pick(5) - 2);
        }
        if (Chance(20))
            return "-" + std::to_string(1 + Pick(count));
        return std::to_string(1 + Pick(count));
    }

    // A well-formed file, sprinkled with odd spacing and numbers when hostile.
    std::string Structured(bool hostile) {
        std::string text;
        int vertices = 0, normals = 0, texCoords = 0;
        const int lines = 5 + Pick(60);
        for (int l = 0; l < lines; ++l) {
            const int kind = Pick(10);
            if (kind < 4 || vertices < 3) {
                text += "v" + Space() + Number(hostile) + Space() + Number(hostile) + Space() +
                        Number(hostile);
                ++vertices;
            } else if (kind == 4) {
                text += "vn " + Number(hostile) + " " + Number(hostile) + " " + Number(hostile);
                ++normals;
            } else if (kind == 5) {
                text += "vt " + Number(hostile) + " " + Number(hostile);
                if (Chance(30))
                    text += " " + Number(hostile);
                ++texCoords;
            } else if (kind == 6) {
                static const char* kOther[] = {"# a comment", "g part", "usemtl skin",
                                               "s 1",         "o body", "mtllib a.mtl",
                                               "#",           "s off"};
                text += kOther[Pick(8)];
            } else {
                int form = Pick(4);
                // Clean files use only the kinds they have read so far.
                if (!hostile && (((form == 1 || form == 3) && normals == 0) ||
                                 ((form == 2 || form == 3) && texCoords == 0)))
                    form = 0;
                const int corners = hostile ? 1 + Pick(7) : 3 + Pick(4);
                text += "f";
                for (int c = 0; c < corners; ++c) {
                    text += (hostile && Chance(5)) ? LineEnd() : Space();
                    std::string corner = Index(vertices, hostile);
                    if (form == 1)
                        corner += "//" + Index(normals, hostile);
                    if (form == 2)
                        corner += "/" + Index(texCoords, hostile);
                    if (form == 3)
                        corner += "/" + Index(texCoords, hostile) + "/" + Index(normals, hostile);
                    text += corner;
                }
            }
            text += LineEnd();
        }
        return text;
    }

    // Fragments of OBJ and of numbers in random order, with long lines, long
    // tokens, NUL bytes and missing line ends.
    std::string Hostile() {
        static const char* kPieces[] = {
            "v",    "vn",   "vt",  "vp",          "f",           "#",    "g",   "1",
            "-1",   "2/3",  "1//", "//2",         "1/2/3",       "1/x",  "x",   "nan",
            "inf",  "0x",   "-",   "+",           ".",           "/",    "0",   "1e",
            "1.5",  "v1",   "f1",  "fx",          "vnx",         "vtt",  "3//", "-0",
            "1e+x", "2/2/", "4/4", "99999999999", "-2147483649", "1.2.3"};
        std::string text;
        const int count = Pick(80);
        for (int i = 0; i < count; ++i) {
            const int what = Pick(100);
            if (what < 70) {
                text += kPieces[Pick(static_cast<int>(std::size(kPieces)))];
            } else if (what < 80) {
                text += Number(true);
            } else if (what < 83) {
                text += std::string(200 + Pick(200), Chance(50) ? ' ' : 'x');
            } else if (what < 85) {
                text += std::string(1, '\0');
            } else {
                text += LineEnd();
            }
            text += Chance(70) ? Space() : (Chance(50) ? LineEnd() : "");
        }
        return text;
    }

private:
    std::mt19937 rng_;
};

// Generated files: every well-formed one loads; of the odd and the hostile
// ones both outcomes are well represented, for the comparison to mean much.
TEST(ObjLoaderReference, AgreesOnWellFormedOddAndHostileFiles) {
    ScratchDir dir;
    const struct {
        std::string kind;
        unsigned seed;
        int files, fewestLoaded, mostLoaded;
    } cases[] = {
        {"clean", 12345, 250, 250, 250},
        {"odd", 777, 400, 41, 319},
        {"hostile", 4242, 1500, 151, 1349},
    };
    for (const auto& c : cases) {
        Generator gen(c.seed);
        int loaded = 0;
        for (int i = 0; i < c.files; ++i) {
            const std::string text = c.kind == "clean" ? gen.Structured(false)
                                     : c.kind == "odd" ? gen.Structured(true)
                                                       : gen.Hostile();
            const std::string path = dir.Write(c.kind + ".obj", text);
            loaded += ExpectSameAsReference(path, text);
            {
                // Read in halves, whether they join or the reading starts over.
                HalvedReading halved;
                ExpectSameAsReference(path, "in halves: " + text);
            }
            if (HasFailure())
                return;
        }
        EXPECT_GE(loaded, c.fewestLoaded) << c.kind;
        EXPECT_LE(loaded, c.mostLoaded) << c.kind;
    }
}

TEST(ObjLoaderReference, AgreesAcrossBlockBoundaries) {
    // Larger than the loader's 1 MiB block, with a number split by a block
    // end somewhere, a 6000-digit mantissa, a 5000-digit index and a space
    // run longer than a block.
    ScratchDir dir;
    Generator gen(99);
    std::string text = "v 1 2 3\nv 4 5 6\nv 7 8 9\n";
    while (text.size() < (size_t{3} << 20))
        text += gen.Structured(false);
    text += "v 0." + std::string(6000, '3') + " 1 2\n";
    text += "f 1 2 " + std::string(5000, '0') + "3\n";
    text += "v" + std::string((size_t{1} << 20) + 17, ' ') + "1.25 2 3\n";
    const std::string path = dir.Write("big.obj", text);
    EXPECT_TRUE(ExpectSameAsReference(path, "big file"));
    HalvedReading halved;
    EXPECT_TRUE(ExpectSameAsReference(path, "big file in halves"));
}

TEST(ObjLoaderReference, AgreesOnDecimalsAroundTheLimitsOfTheShortReading) {
    // 1 to 17 digits with the point anywhere (the short reading takes 15),
    // float midpoints that one double division cannot settle, and texts
    // whose end is easily misjudged.
    ScratchDir dir;
    Generator gen(31);
    std::string text;
    auto vertex = [&](const std::string& x, const std::string& y, const std::string& z) {
        text += "v " + x + " " + y + " " + z + "\n";
    };
    for (int count = 1; count <= 17; ++count) {
        for (int point = -1; point <= count; ++point) {
            std::string numbers[3];
            for (std::string& number : numbers) {
                std::string digits;
                while (static_cast<int>(digits.size()) < count)
                    digits += gen.Digits(1);
                if (point >= 0)
                    digits.insert(static_cast<size_t>(point), ".");
                number = (gen.Chance(30) ? "-" : "") + digits;
            }
            vertex(numbers[0], numbers[1], numbers[2]);
        }
    }
    vertex("16777217", "8388608.5", "8388609.5");  // ties, to even
    vertex("4194304.25", "33554434", "1073741888");
    vertex("8388608.500001", "16777217.0000001", "-4194304.75");
    vertex("0.000000", "-0.000000", "999999999999999");
    vertex("0x10", "00x1", "0.x");
    vertex("1.2.3", "5.", ".5");
    vertex("1e5", "1E-5", "2.5e");
    vertex("0.1234567", "12345678.1234567", "123456789012345.");
    text += "f 1 2 3\n";
    EXPECT_TRUE(ExpectSameAsReference(dir.Write("decimals.obj", text), text));
}

TEST(ObjLoaderReference, AgreesOnFirstCornersInAndOutOfTheShortReading) {
    // Every form, with signs, nine and ten digits, and endings that are not
    // white space; each as the first corner of faces of all four forms.
    ScratchDir dir;
    const std::string corners[] = {"1",     "-1",          "+2",      "1//2",      "1/2",
                                   "1/2/3", "-1/-2/-3",    "1/+2//3", "1/2/3/4",   "1//2/3",
                                   "1/2/",  "1//",         "1/x",     "000000001", "1234567890",
                                   "2/3x",  "000000001/1", "1\x01",   "1/2/3\x01"};
    int loaded = 0;
    for (const std::string& first : corners) {
        std::string text = std::string(kSquareWithAttributes);
        text += "f " + first + " 2/2/2 3/3/3 1//1\n";
        text += "f " + first + " 2//2 3//3\n";
        text += "f " + first + " 2/2 3/3 -1/-1\n";
        text += "f " + first + " 2 3\n";
        loaded += ExpectSameAsReference(dir.Write("first.obj", text), text);
        if (HasFailure())
            return;
    }
    EXPECT_GT(loaded, 5);
}

TEST(ObjLoaderReference, AgreesOnEveryShortFaceSpelling) {
    // Every string of up to four characters from a face's alphabet, as the
    // corners of a face over four vertices.
    ScratchDir dir;
    const std::string alphabet = "1-/ \nx";
    const std::string prefix = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 1\nf 1";
    std::vector<std::string> words = {""};
    for (int length = 1; length <= 4; ++length) {
        std::vector<std::string> longer;
        for (const auto& w : words) {
            if (static_cast<int>(w.size()) != length - 1)
                continue;
            for (char c : alphabet)
                longer.push_back(w + c);
        }
        words.insert(words.end(), longer.begin(), longer.end());
    }
    int loaded = 0;
    for (const auto& w : words) {
        const std::string text = prefix + w + " 2 3 4\n";
        loaded += ExpectSameAsReference(dir.Write("face.obj", text), text);
        if (HasFailure())
            return;
    }
    EXPECT_GT(loaded, 100);
    EXPECT_LT(loaded, static_cast<int>(words.size()) - 100);
}

}  // namespace
}  // namespace wobble
