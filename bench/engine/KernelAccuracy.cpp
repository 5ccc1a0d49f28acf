// The long form of the engine tests' comparison with the plain model of the signal flow: 600 s
// sessions (notes, fades, controller and soundfield changes, block sizes 1 to 1000) at 22.05,
// 44.1, 48, 96 and 192 kHz, reporting the largest difference at each rate.
//
//   kernel_accuracy [seconds]                 compare with the model, print the largest differences
//   kernel_accuracy [seconds] --write DIR     also write the kernel's outputs to DIR/kernel-RATE.f64
//   kernel_accuracy --compare DIR_A DIR_B     largest difference between two such sets of outputs
//                                             (for example a Linux and a Windows build)
#include "tests/engine/ModelSession.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const double kRates[] = {22050.0, 44100.0, 48000.0, 96000.0, 192000.0};
constexpr double kBound = 1e-12;

std::string OutputPath(const char* dir, double rate) {
  return std::string(dir) + "/kernel-" + std::to_string(static_cast<long>(rate)) + ".f64";
}

int Compare(const char* dirA, const char* dirB) {
  int status = 0;
  for (double rate : kRates) {
    FILE* a = std::fopen(OutputPath(dirA, rate).c_str(), "rb");
    FILE* b = std::fopen(OutputPath(dirB, rate).c_str(), "rb");
    if (a == nullptr || b == nullptr) {
      std::printf("%8.0f Hz: missing output\n", rate);
      status = 1;
    } else {
      double worst = 0.0, x[4096], y[4096];
      long count = 0;
      bool sameLength = true;
      for (;;) {
        const size_t na = std::fread(x, sizeof(double), 4096, a);
        const size_t nb = std::fread(y, sizeof(double), 4096, b);
        if (na != nb) sameLength = false;
        for (size_t i = 0; i < na && i < nb; ++i) worst = std::fmax(worst, std::fabs(x[i] - y[i]));
        count += static_cast<long>(na);
        if (na == 0 || nb == 0) break;
      }
      std::printf("%8.0f Hz: %ld values, largest difference %.3g%s\n", rate, count, worst,
                  sameLength ? "" : " (lengths differ)");
      if (!sameLength || !(worst <= kBound)) status = 1;
    }
    if (a) std::fclose(a);
    if (b) std::fclose(b);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--compare") == 0) return Compare(argv[2], argv[3]);
  double seconds = 600.0;
  const char* writeDir = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--write") == 0 && i + 1 < argc) {
      writeDir = argv[++i];
    } else {
      seconds = std::atof(argv[i]);
      if (!(seconds > 0.0)) {
        std::fprintf(stderr, "usage: kernel_accuracy [seconds] [--write DIR] | --compare DIR_A DIR_B\n");
        return 2;
      }
    }
  }
  int status = 0;
  uint64_t seed = 11;
  for (double rate : kRates) {
    FILE* out = nullptr;
    if (writeDir != nullptr) {
      out = std::fopen(OutputPath(writeDir, rate).c_str(), "wb");
      if (out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", OutputPath(writeDir, rate).c_str());
        return 2;
      }
    }
    std::function<void(const double*, const double*, int)> sink;
    if (out != nullptr) {
      sink = [out](const double* l, const double* r, int n) {
        std::fwrite(l, sizeof(double), static_cast<size_t>(n), out);
        std::fwrite(r, sizeof(double), static_cast<size_t>(n), out);
      };
    }
    const SessionResult r = PlaySession({rate, seconds, seed++, 0x1F80u}, kBound, sink);
    if (out != nullptr) std::fclose(out);
    std::printf("%8.0f Hz, %.0f s: largest difference from the model %.3g, RMS %.4f, %zu block sizes%s\n", rate,
                seconds, r.worst, r.loudness, r.blockSizes.size(),
                r.firstOver >= 0 ? " -- OVER THE BOUND" : (r.modeKept ? "" : " -- caller's mode lost"));
    if (r.firstOver >= 0 || !r.modeKept) status = 1;
  }
  return status;
}
