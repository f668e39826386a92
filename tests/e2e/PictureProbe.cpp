// wobble-e2e-probe: measures the screenshots of the end-to-end tests, so that
// the shell scripts can ask plain questions ("how many red pixels are there
// around the body?") and compare the answers. ImageMagick's -fx would answer
// them too, at several seconds a question.
//
//   wobble-e2e-probe count CLASS FILE [X Y W H]   pixels of a colour class
//   wobble-e2e-probe differ FILE_A FILE_B [X Y W H [CLASS]]
//                                                 pixels whose colour differs by
//                                                 more than 24 in a channel; with
//                                                 CLASS, only pixels of that class
//                                                 in both pictures (so that an
//                                                 edge moved by a pixel is left out)
//   wobble-e2e-probe spread FILE [X Y W H]        standard deviation of brightness
//   wobble-e2e-probe box CLASS FILE               "x0 y0 x1 y1" around a class
//                                                 (x1, y1 exclusive), or "none"
//   wobble-e2e-probe size FILE                    "width height"
//
// The rectangle defaults to the whole picture and is clipped to it. Any PNG
// that ImageMagick's import writes is read (palette, grey, 16-bit).

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    const unsigned char* At(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
};

struct Rect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

using ClassTest = bool (*)(int r, int g, int b);

bool IsSky(int r, int g, int b) {
    return r == 76 && g == 76 && b == 255;
}
bool IsRed(int r, int g, int b) {
    return r > 200 && g < 50 && b < 50;
}
bool IsYellow(int r, int g, int b) {
    return r > 200 && g > 200 && b < 60;
}

// The scene's only warm colours are the body, the wireframe and the control
// points; sky and water are blue. The thresholds leave room for the shading
// of lit faces without ever confusing two classes.
const struct {
    const char* name;
    ClassTest test;
} kClasses[] = {
    {"sky", IsSky},
    {"water", [](int r, int g, int b) { return b > r + 40 && b > g + 40 && !IsSky(r, g, b); }},
    {"body", [](int r, int g,
                int b) { return r > b + 30 && r > g && !IsRed(r, g, b) && !IsYellow(r, g, b); }},
    {"red", IsRed},
    {"yellow", IsYellow},
    {"black", [](int r, int g, int b) { return r < 8 && g < 8 && b < 8; }},
    // The mouse's pull and the crosshair; nothing of the scene is this bright.
    {"white", [](int r, int g, int b) { return r > 235 && g > 235 && b > 235; }},
};

ClassTest FindClass(const std::string& name) {
    for (const auto& c : kClasses)
        if (name == c.name)
            return c.test;
    return nullptr;
}

bool Test(ClassTest test, const unsigned char* p) {
    return test(p[0], p[1], p[2]);
}

bool Read(const char* path, Picture& picture) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path) == 0) {
        std::fprintf(stderr, "wobble-e2e-probe: %s: %s\n", path, image.message);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) {
        std::fprintf(stderr, "wobble-e2e-probe: %s: %s\n", path, image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}

// Reads "X Y W H" from argv[first..] when given; the whole picture otherwise.
bool ParseRect(int argc, char** argv, int first, const Picture& picture, Rect& rect) {
    rect = {0, 0, picture.width, picture.height};
    if (argc == first)
        return true;
    if (argc != first + 4)
        return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        v[i] = static_cast<int>(std::strtol(argv[first + i], &end, 10));
        if (end == argv[first + i] || *end != '\0')
            return false;
    }
    if (v[2] < 0 || v[3] < 0)
        return false;
    rect.x0 = std::clamp(v[0], 0, picture.width);
    rect.y0 = std::clamp(v[1], 0, picture.height);
    rect.x1 = std::clamp(v[0] + v[2], rect.x0, picture.width);
    rect.y1 = std::clamp(v[1] + v[3], rect.y0, picture.height);
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: wobble-e2e-probe count CLASS FILE [X Y W H]\n"
                 "       wobble-e2e-probe differ FILE_A FILE_B [X Y W H [CLASS]]\n"
                 "       wobble-e2e-probe spread FILE [X Y W H]\n"
                 "       wobble-e2e-probe box CLASS FILE\n"
                 "       wobble-e2e-probe size FILE\n"
                 "classes: sky water body red yellow black white\n");
    return 2;
}

int Count(ClassTest test, const Picture& a, const Rect& rect) {
    long n = 0;
    for (int y = rect.y0; y < rect.y1; ++y)
        for (int x = rect.x0; x < rect.x1; ++x)
            n += Test(test, a.At(x, y)) ? 1 : 0;
    std::printf("%ld\n", n);
    return 0;
}

int Box(ClassTest test, const Picture& a) {
    Rect box = {a.width, a.height, 0, 0};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (Test(test, a.At(x, y))) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x + 1);
                box.y1 = std::max(box.y1, y + 1);
            }
    if (box.x1 == 0)
        std::printf("none\n");
    else
        std::printf("%d %d %d %d\n", box.x0, box.y0, box.x1, box.y1);
    return 0;
}

int Differ(const Picture& a, const Picture& b, const Rect& rect, ClassTest within) {
    long n = 0;
    for (int y = rect.y0; y < rect.y1; ++y)
        for (int x = rect.x0; x < rect.x1; ++x) {
            const unsigned char* p = a.At(x, y);
            const unsigned char* q = b.At(x, y);
            if (within != nullptr && !(Test(within, p) && Test(within, q)))
                continue;
            bool differs = false;
            for (int c = 0; c < 3; ++c)
                differs = differs || std::abs(p[c] - q[c]) > 24;
            n += differs ? 1 : 0;
        }
    std::printf("%ld\n", n);
    return 0;
}

int Spread(const Picture& a, const Rect& rect) {
    double sum = 0.0, sumSquares = 0.0;
    long n = 0;
    for (int y = rect.y0; y < rect.y1; ++y)
        for (int x = rect.x0; x < rect.x1; ++x) {
            const unsigned char* p = a.At(x, y);
            const double v = (p[0] + p[1] + p[2]) / 3.0;
            sum += v;
            sumSquares += v * v;
            ++n;
        }
    const double mean = n > 0 ? sum / n : 0.0;
    const double variance = n > 0 ? std::max(0.0, sumSquares / n - mean * mean) : 0.0;
    std::printf("%.2f\n", std::sqrt(variance));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    Picture a, b;
    Rect rect;

    if (command == "size" && argc == 3) {
        if (!Read(argv[2], a))
            return 1;
        std::printf("%d %d\n", a.width, a.height);
        return 0;
    }
    if ((command == "count" || command == "box") && argc >= 4) {
        const ClassTest test = FindClass(argv[2]);
        if (test == nullptr)
            return Usage();
        if (!Read(argv[3], a))
            return 1;
        if (command == "box")
            return argc == 4 ? Box(test, a) : Usage();
        return ParseRect(argc, argv, 4, a, rect) ? Count(test, a, rect) : Usage();
    }
    if (command == "differ" && argc >= 4) {
        if (!Read(argv[2], a) || !Read(argv[3], b))
            return 1;
        if (a.width != b.width || a.height != b.height) {
            std::fprintf(stderr, "wobble-e2e-probe: %s is %dx%d but %s is %dx%d\n", argv[2],
                         a.width, a.height, argv[3], b.width, b.height);
            return 1;
        }
        ClassTest within = nullptr;
        if (argc == 9) {
            within = FindClass(argv[8]);
            if (within == nullptr)
                return Usage();
            --argc;
        }
        return ParseRect(argc, argv, 4, a, rect) ? Differ(a, b, rect, within) : Usage();
    }
    if (command == "spread") {
        if (!Read(argv[2], a))
            return 1;
        return ParseRect(argc, argv, 3, a, rect) ? Spread(a, rect) : Usage();
    }
    return Usage();
}
