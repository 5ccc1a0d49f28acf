// Renders a kernel block by block for the engine tests.
#pragma once

#include "engine/SynthKernel.h"

#include <memory>
#include <vector>

struct KernelRunner {
  SynthKernel* k;
  std::vector<double> in, left, right;

  explicit KernelRunner(double rate, int block = 512) : k(CreateKernel(rate)), in(block), left(block), right(block) {}
  ~KernelRunner() { DestroyKernel(k); }
  KernelRunner(const KernelRunner&) = delete;
  KernelRunner& operator=(const KernelRunner&) = delete;

  void Set(int idx, double v) { SetKernelParam(k, idx, v); }
  int Block(int n) {
    if (n > static_cast<int>(left.size())) {
      in.resize(n);
      left.resize(n);
      right.resize(n);
    }
    double* ins[2] = {in.data(), in.data()};
    double* outs[2] = {left.data(), right.data()};
    return PerformKernel(k, ins, outs, n);
  }
  // Renders `total` samples in blocks of `block`, appending both outputs.
  void Render(int total, int block, std::vector<double>* l, std::vector<double>* r = nullptr) {
    while (total > 0) {
      const int n = total < block ? total : block;
      Block(n);
      if (l) l->insert(l->end(), left.begin(), left.begin() + n);
      if (r) r->insert(r->end(), right.begin(), right.begin() + n);
      total -= n;
    }
  }
};
