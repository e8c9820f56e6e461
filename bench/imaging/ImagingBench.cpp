// Writes a page-sized picture with page-like content in each format and prints the speed, the
// PNG writer's time against zlib's deflate alone on the same filtered bytes, and the JPEG
// writer's time against cjpeg on the same pixels.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Bitmap24.h"
#include "imaging/ImageWriters.h"

namespace pagrovix {
namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 32763;

// Wall-clock and processor time of one run. Other work on the machine stretches the first; the
// second, for this process or the child it waited for, is what the ratios are computed from.
struct Timing {
    double wall = 1e30;
    double cpu = 1e30;
};

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

Timing Measure(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    action();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds() - cpuStart};
}

void KeepBest(Timing& best, const Timing& run) {
    best.wall = std::min(best.wall, run.wall);
    best.cpu = std::min(best.cpu, run.cpu);
}

// Runs the two actions in turn, so a change in the machine's load touches both alike, and keeps
// the best times of each.
std::pair<Timing, Timing> BestOfPairs(int runs, const std::function<Timing()>& first,
                                      const std::function<Timing()>& second) {
    std::pair<Timing, Timing> best;
    for (int run = 0; run < runs; ++run) {
        KeepBest(best.first, first());
        KeepBest(best.second, second());
    }
    return best;
}

std::uint32_t Next(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void Put(Bitmap24& bitmap, int x, int y, int red, int green, int blue) {
    auto row = bitmap.Row(y);
    row[3 * x] = std::uint8_t(std::clamp(blue, 0, 255));
    row[3 * x + 1] = std::uint8_t(std::clamp(green, 0, 255));
    row[3 * x + 2] = std::uint8_t(std::clamp(red, 0, 255));
}

// A long web page: a gradient header, then blocks of text lines (glyph-like strokes on white,
// with links in blue), photographs (smooth shapes with grain), and flat boxes, over and over.
Bitmap24 PageLikePicture(int width, int height) {
    Bitmap24 page(width, height);
    page.Fill(255, 255, 255);
    std::uint32_t random = 12345;
    for (int top = 0; top < height;) {
        // Mostly text, then photographs and boxes, now and then a gradient band.
        static constexpr int kKinds[10] = {0, 1, 1, 1, 1, 1, 2, 2, 3, 3};
        const int kind = top == 0 ? 0 : kKinds[Next(random) % 10];
        const int blockHeight = std::min(height - top, 150 + int(Next(random) % 500));
        for (int y = top; y < top + blockHeight; ++y) {
            const int inBlock = y - top;
            for (int x = 0; x < width; ++x) {
                if (kind == 0) {
                    Put(page, x, y, 20 + x * 60 / width, 60 + inBlock * 120 / blockHeight, 160);
                } else if (kind == 3) {
                    if (x > 40 && x < width - 40 && inBlock > 20 && inBlock < blockHeight - 20) {
                        Put(page, x, y, 236, 240, 244);
                    }
                } else if (kind == 2 && x >= 200 && x < width - 200) {
                    const double u = x * 0.013;
                    const double v = y * 0.017;
                    const int grain = int(Next(random) % 17) - 8;
                    Put(page, x, y, int(120 + 90 * std::sin(u + std::cos(v))) + grain,
                        int(110 + 80 * std::cos(u * 0.7 - v)) + grain,
                        int(90 + 70 * std::sin(v * 1.3 + u * 0.4)) + grain);
                }
            }
        }
        if (kind == 1) {
            // Lines of 14-pixel text: strokes of varying width with gaps between words.
            for (int line = top + 8; line + 14 < top + blockHeight; line += 22) {
                const bool link = Next(random) % 5 == 0;
                for (int x = 40; x < width - 60;) {
                    const int word = 15 + int(Next(random) % 60);
                    for (int stroke = x; stroke < std::min(x + word, width - 60); stroke += 3) {
                        const int strokeTop = line + int(Next(random) % 5);
                        const int strokeEnd = line + 10 + int(Next(random) % 5);
                        const int ink = int(Next(random) % 70);
                        for (int y = strokeTop; y < strokeEnd; ++y) {
                            Put(page, stroke, y, link ? 20 : ink, link ? 60 : ink,
                                link ? 200 : ink);
                            Put(page, stroke + 1, y, 160 + ink, 160 + ink, 160 + ink);
                        }
                    }
                    x += word + 8;
                }
            }
        }
        top += blockHeight;
    }
    return page;
}

// The rows as the PNG writer hands them to zlib: filter byte, then R, G, B minus the left pixel.
std::vector<std::uint8_t> SubFiltered(const Bitmap24& bitmap) {
    std::vector<std::uint8_t> all;
    all.reserve((bitmap.Stride() + 1) * std::size_t(bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        const auto bgr = bitmap.Row(y);
        all.push_back(1);
        for (std::size_t i = 0; i < bgr.size(); i += 3) {
            const std::size_t left = i >= 3 ? i - 3 : i;
            all.push_back(std::uint8_t(bgr[i + 2] - (i >= 3 ? bgr[left + 2] : 0)));
            all.push_back(std::uint8_t(bgr[i + 1] - (i >= 3 ? bgr[left + 1] : 0)));
            all.push_back(std::uint8_t(bgr[i] - (i >= 3 ? bgr[left] : 0)));
        }
    }
    return all;
}

// deflate alone over the filtered bytes, row by row as the writer feeds it, into the same
// 65535-byte buffer, the output thrown away. Returns the compressed size.
std::size_t DeflateOnly(const std::vector<std::uint8_t>& filtered, std::size_t rowSize, int level) {
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    std::vector<std::uint8_t> out(65535);
    std::size_t total = 0;
    auto drain = [&] {
        total += out.size() - stream.avail_out;
        stream.next_out = out.data();
        stream.avail_out = uInt(out.size());
    };
    stream.next_out = out.data();
    stream.avail_out = uInt(out.size());
    for (std::size_t at = 0; at < filtered.size(); at += rowSize) {
        stream.next_in = const_cast<std::uint8_t*>(&filtered[at]);
        stream.avail_in = uInt(rowSize);
        while (stream.avail_in > 0) {
            deflate(&stream, Z_NO_FLUSH);
            if (stream.avail_out == 0) {
                drain();
            }
        }
    }
    while (deflate(&stream, Z_FINISH) != Z_STREAM_END) {
        drain();
    }
    drain();
    deflateEnd(&stream);
    return total;
}

void WritePpm(const Bitmap24& bitmap, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << bitmap.Width() << ' ' << bitmap.Height() << "\n255\n";
    std::vector<char> rgb(bitmap.Stride());
    for (int y = 0; y < bitmap.Height(); ++y) {
        const auto bgr = bitmap.Row(y);
        for (std::size_t i = 0; i < bgr.size(); i += 3) {
            rgb[i] = char(bgr[i + 2]);
            rgb[i + 1] = char(bgr[i + 1]);
            rgb[i + 2] = char(bgr[i]);
        }
        out.write(rgb.data(), std::streamsize(rgb.size()));
    }
}

// Runs a program and returns its times, the processor time being the child's own.
Timing RunProgram(const std::vector<std::string>& arguments, bool& ok) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        ok = false;
        return {};
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const auto seconds = [](const timeval& time) {
        return double(time.tv_sec) + double(time.tv_usec) * 1e-6;
    };
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

std::uintmax_t FileSize(const std::string& path) {
    return std::filesystem::file_size(path);
}

bool SameFiles(const std::string& a, const std::string& b) {
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

int Main(int height, int runs) {
    char pattern[] = "/tmp/pagrovix-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    const Bitmap24 page = PageLikePicture(kWidth, height);
    const double megabytes = double(page.ByteCount()) / 1e6;
    std::printf("picture %d x %d, %.1f MB of pixels; best of %d runs; files are flushed to disk\n",
                kWidth, height, megabytes, runs);

    Timing bmp;
    for (int run = 0; run < runs; ++run) {
        KeepBest(bmp, Measure([&] { WriteBmpFile(page, folder + "/page.bmp"); }));
    }
    std::printf("BMP             %6.3f s  %6.1f MB/s (processor %.3f s)\n", bmp.wall,
                megabytes / bmp.wall, bmp.cpu);

    const auto filtered = SubFiltered(page);
    for (int level : {9, 6, 1}) {
        const std::string path = folder + "/page.png";
        const auto [png, deflateOnly] = BestOfPairs(
            runs, [&] { return Measure([&] { WritePngFile(page, path, level); }); },
            [&] { return Measure([&] { DeflateOnly(filtered, page.Stride() + 1, level); }); });
        std::printf(
            "PNG level %d     %6.3f s  %6.1f MB/s  %.1f MB file; deflate alone %.3f s; "
            "writer/deflate %.3f wall, %.3f processor\n",
            level, png.wall, megabytes / png.wall, double(FileSize(path)) / 1e6, deflateOnly.wall,
            png.wall / deflateOnly.wall, png.cpu / deflateOnly.cpu);
    }

    const std::string cjpeg = PAGROVIX_CJPEG;
    if (cjpeg.empty()) {
        std::printf("cjpeg is not installed: no JPEG comparison\n");
    } else {
        WritePpm(page, folder + "/page.ppm");
    }
    bool ran = true;
    const auto [jpeg, reference] = BestOfPairs(
        runs, [&] { return Measure([&] { WriteJpegFile(page, folder + "/page.jpg", 80); }); },
        [&] {
            return cjpeg.empty()
                       ? Timing{}
                       : RunProgram({cjpeg, "-quality", "80", "-dct", "float", "-baseline",
                                     "-outfile", folder + "/cjpeg.jpg", folder + "/page.ppm"},
                                    ran);
        });
    std::printf("JPEG quality 80 %6.3f s  %6.1f MB/s  %.1f MB file\n", jpeg.wall,
                megabytes / jpeg.wall, double(FileSize(folder + "/page.jpg")) / 1e6);
    if (!cjpeg.empty() && ran) {
        std::printf(
            "cjpeg           %6.3f s; writer/cjpeg %.3f wall, %.3f processor; same bytes: %s\n",
            reference.wall, jpeg.wall / reference.wall, jpeg.cpu / reference.cpu,
            SameFiles(folder + "/page.jpg", folder + "/cjpeg.jpg") ? "yes" : "NO");
    } else if (!cjpeg.empty()) {
        std::printf("cjpeg failed\n");
    }
    std::filesystem::remove_all(folder);
    return 0;
}

}  // namespace
}  // namespace pagrovix

// Arguments: [height] [runs], for a quick look at a smaller picture.
int main(int argc, char** argv) {
    const int height = argc > 1 ? std::atoi(argv[1]) : pagrovix::kHeight;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    return pagrovix::Main(std::max(height, 1), std::max(runs, 1));
}
