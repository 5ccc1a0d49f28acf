// A deliberately plain model of the wind and foliage signal flow, sample by sample, written
// without reference to the kernel's code: its own noise generator, one-pole and state-variable
// filters, envelope and delay rings. The engine tests compare the kernel against it.
#pragma once

#include <cstdint>

namespace model {

// Indices of the eleven parameters that shape the sound (the kernel's parameter numbering).
enum Param : int {
  kFade = 0,
  kFoliageLevel = 1,
  kMainVolume = 2,
  kWindLevel = 3,
  kFoliageDepth = 8,
  kWindDepth = 9,
  kSoundfield = 15,
  kEnergy = 16,
  kGate = 17,
  kDispersion = 23,
  kSpeed = 24,
  kParamSlots = 26
};

struct Ring {
  double cell[2048] = {};
  int readAt = 0, writeAt = 0;
  double Read(double d) const;
  void Write(double s);
};

struct Svf {
  double low = 0.0, band = 0.0;
  double HighPass(double x, double f, double q);
};

class SignalFlowModel {
 public:
  // `noiseState` is the generator state before the first draw.
  SignalFlowModel(double rate, uint32_t noiseState);
  // Stores a value clamped into [0, 1]; other indices do not shape the sound and are ignored.
  void Set(int index, double value);
  // Back to silence at `rate` with every parameter at its default; the noise runs on.
  void Reset(double rate);
  void Render(double* out1, double* out2, int n);

 private:
  double Draw();
  double Envelope(double gate, double fadeTime, double fall);

  uint32_t noise_;
  double sr_ = 0.0;
  double p_[kParamSlots] = {};
  double phaseW_ = 0, prevW_ = 0, heldW_ = 0, slewW_ = 0;
  double phaseF_ = 0, prevF_ = 0, heldF_ = 0, slewF_ = 0;
  int stage_ = 0;  // 0 idle, 1 attack, 2 hold, 3 release
  double C_ = 0, D_ = 0, F_ = 0, E_ = 0, prevGate_ = 0, L_ = 0;
  double y_[4] = {};
  Svf fol5000_, fol700_, wind1_, wind2_;
  Ring short_, long_;
};

}  // namespace model
