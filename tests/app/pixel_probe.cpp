// Reads a binary PPM screenshot and prints where pixels of one colour lie, within a region:
//   pixel_probe FILE R G B [TOLERANCE [LEFT TOP RIGHT BOTTOM]]
//   -> "COUNT LEFT TOP RIGHT BOTTOM", all inclusive
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::cerr << "usage: pixel_probe FILE R G B [TOLERANCE [LEFT TOP RIGHT BOTTOM]]\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (!in || magic != "P6" || maxValue != 255 || width <= 0 || height <= 0) {
        std::cerr << "pixel_probe: not an 8-bit binary PPM: " << argv[1] << "\n";
        return 2;
    }
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    if (!in) {
        std::cerr << "pixel_probe: short file\n";
        return 2;
    }
    const int want[3] = {std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])};
    const int tolerance = argc > 5 ? std::atoi(argv[5]) : 0;
    int region[4] = {0, 0, width - 1, height - 1};
    for (int i = 0; i < 4 && argc > 6 + i; ++i) region[i] = std::atoi(argv[6 + i]);
    long count = 0;
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = std::max(region[1], 0); y <= std::min(region[3], height - 1); ++y) {
        for (int x = std::max(region[0], 0); x <= std::min(region[2], width - 1); ++x) {
            const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            bool match = true;
            for (int c = 0; c < 3; ++c) match = match && std::abs(p[c] - want[c]) <= tolerance;
            if (!match) continue;
            ++count;
            if (x < left) left = x;
            if (y < top) top = y;
            if (x > right) right = x;
            if (y > bottom) bottom = y;
        }
    }
    std::printf("%ld %d %d %d %d\n", count, left, top, right, bottom);
    return 0;
}
