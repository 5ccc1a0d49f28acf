#include "SignalFlowModel.h"

#include <cmath>
#include <cstring>

namespace model {
namespace {

const double kPi = 3.1415926535898;

double Clip(double x, double lo, double hi) {
  if (x < lo) return lo;
  if (x >= hi) return hi;
  return x;
}

double Flush(double x) { return std::fabs(x) < std::ldexp(1.0, -1021) ? 0.0 : x; }

double SinOver(double num, double sr) { return sr == 0.0 ? 0.0 : std::sin(num / sr); }

void Defaults(double* p) {
  for (int i = 0; i < kParamSlots; ++i) p[i] = 0.0;
  p[kFade] = 0.3;
  p[kFoliageLevel] = 0.8;
  p[kMainVolume] = 0.75;
  p[kWindLevel] = 0.5;
  p[kFoliageDepth] = 0.8;
  p[kWindDepth] = 1.0;
  p[kEnergy] = 0.3;
  p[kDispersion] = 0.94;
  p[kSpeed] = 0.12;
}

}  // namespace

double Ring::Read(double d) const {
  const double lo = readAt != writeAt ? 1.0 : 0.0;
  if (d < lo) d = lo;
  if (d > 2000.0) d = 2000.0;
  const double r = (2048 + readAt) - d;
  const int i = static_cast<int>(r);
  const double a = r - i;
  const double x1 = cell[i % 2048];
  const double x2 = cell[(i + 1) % 2048];
  return x1 + (x2 - x1) * a;
}

void Ring::Write(double s) {
  writeAt = readAt;
  cell[writeAt] = s;
  readAt = (readAt + 1) % 2048;
}

double Svf::HighPass(double x, double f, double q) {
  low = low + f * band;
  const double high = x - low - q * band;
  band = band + f * high;
  return high;
}

SignalFlowModel::SignalFlowModel(double rate, uint32_t noiseState) : noise_(noiseState) { Reset(rate); }

void SignalFlowModel::Reset(double rate) {
  const uint32_t noise = noise_;
  phaseW_ = prevW_ = heldW_ = slewW_ = phaseF_ = prevF_ = heldF_ = slewF_ = 0.0;
  stage_ = 0;
  C_ = D_ = F_ = E_ = prevGate_ = L_ = 0.0;
  for (double& y : y_) y = 0.0;
  fol5000_ = fol700_ = wind1_ = wind2_ = Svf();
  short_ = long_ = Ring();
  noise_ = noise;
  sr_ = rate;
  Defaults(p_);
}

void SignalFlowModel::Set(int index, double value) {
  switch (index) {
    case kFade: case kFoliageLevel: case kMainVolume: case kWindLevel: case kFoliageDepth: case kWindDepth:
    case kSoundfield: case kEnergy: case kGate: case kDispersion: case kSpeed:
      p_[index] = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
      break;
    default:
      break;
  }
}

double SignalFlowModel::Draw() {
  noise_ = noise_ * 1664525u + 1013904223u;
  const uint32_t bits = 0x3F800000u | (noise_ & 0x007FFFFFu);
  float f;
  std::memcpy(&f, &bits, 4);
  const float r = f * 2.0f - 3.0f;
  return r;
}

double SignalFlowModel::Envelope(double gate, double fadeTime, double fall) {
  const double ta = fadeTime * (1.0 - F_);
  const double tr = fadeTime * E_;
  if (gate - prevGate_ == 1.0) {
    stage_ = 1;
    F_ = D_;
    C_ = 0.0;
  }
  if (gate - prevGate_ == -1.0) {
    stage_ = 3;
    E_ = D_;
    C_ = 0.0;
  }
  prevGate_ = gate;
  if (stage_ == 1) {
    C_ += ta * sr_ == 0.0 ? 0.0 : 1.0 / (ta * sr_);
    D_ = F_ + (1.0 - F_) * std::pow(C_, 2.001);
    if (C_ > 1.0) {
      stage_ = 2;
      C_ = 0.0;
    }
  }
  if (stage_ == 2) D_ = 1.0;
  if (stage_ == 3) {
    C_ += tr * sr_ == 0.0 ? 0.0 : 1.0 / (tr * sr_);
    D_ = 1.0 - C_ < 0.0 ? 0.0 : E_ * std::pow(1.0 - C_, 2.001);
    if (C_ > 3.0) {
      stage_ = 0;
      C_ = 0.0;
      D_ = 0.0;
    }
  }
  L_ = Flush(L_ + (D_ - L_) * (D_ > L_ ? 1.0 : fall));
  if (L_ < 1e-8 || L_ <= 0.0) return 0.0;
  return L_ >= 1.0 ? 1.0 : L_;
}

void SignalFlowModel::Render(double* out1, double* out2, int n) {
  const double sr = sr_;
  const double windDepth = 0.5 * Clip(p_[kWindDepth], 0, 1);
  const double foliageDepth = 0.5 * Clip(p_[kFoliageDepth], 0, 1);
  const double T = std::trunc(4.0 * sr);
  const double kr = 1.0 / std::fmax(std::fabs(T), 1.0);
  const double gate = Clip(p_[kGate], 0, 1);
  const double a = Clip(p_[kFade], 0, 1);
  const double fadeTime = 10.0 * Clip(a * a, 0.0001, 1);
  const double kf = 1.0 / std::fmax(std::fabs(0.001 * sr), 1.0);
  const double f5000 = 2.0 * SinOver(kPi * 5000.0, sr);
  const double f700 = 2.0 * SinOver(kPi * 700.0, sr);
  const double dLong = 0.04 * sr * Clip(p_[kSoundfield], 0, 1);
  const double dShort = 0.4 * dLong;

  for (int i = 0; i < n; ++i) {
    const double rw = Draw();
    phaseW_ = phaseW_ + (sr == 0.0 ? 0.0 : 0.5 / sr);
    if (phaseW_ < 0.0 || phaseW_ >= 1.0) phaseW_ -= std::floor(phaseW_);
    if (prevW_ <= 0.5 && phaseW_ > 0.5) heldW_ = rw;
    prevW_ = phaseW_;
    slewW_ = Flush(slewW_ + (heldW_ - slewW_) * kr);
    const double o = slewW_ * windDepth;

    const double rf = Draw();
    phaseF_ = phaseF_ + (sr == 0.0 ? 0.0 : 0.2 / sr);
    if (phaseF_ < 0.0 || phaseF_ >= 1.0) phaseF_ -= std::floor(phaseF_);
    if (prevF_ <= 0.5 && phaseF_ > 0.5) heldF_ = rf;
    prevF_ = phaseF_;
    slewF_ = Flush(slewF_ + (heldF_ - slewF_) * kr);
    const double u = slewF_ * foliageDepth;

    const double v = Clip(u + (o + p_[kEnergy]), 0, 1);
    const double H = 400.0 + 500.0 * v;

    const double env = Envelope(gate, fadeTime, kf);

    const double rn = Draw();
    const double k = Clip(SinOver(2.0 * kPi * H, sr), 0.00001, 0.99999);
    double x = rn;
    for (double& y : y_) {
      const double next = y + (x - y) * k;
      y = Flush(next);
      x = next;
    }
    const double V = x * env;

    const double h1 = fol5000_.HighPass(V, f5000, 0.25);
    const double h2 = fol700_.HighPass(h1, f700, 2.0);
    const double X = Clip(h2, -1, 1);

    const double Y = Clip(0.02 * V + p_[kSpeed] + o, 0, 1);
    const double Z = Clip(490.0 + 910.0 * Y, 1, 20000);
    const double fz = 2.0 * SinOver(kPi * Z, sr);
    const double pd = Clip(p_[kDispersion] - o, 0, 1);
    const double Q = 12.0 - 11.0 * pd;
    const double q = 1.0 / Clip(Q, 0.5, 100);
    const double w1 = wind1_.HighPass(V, fz, q);
    const double w2 = wind2_.HighPass(w1, fz, 0.5);
    const double W = Clip(w2, -2, 2);
    const double g = 0.3 + 0.7 * (5.0 * Clip(Y, 0, 0.2));

    const double s =
        Clip(((g * W) * 0.1 * p_[kWindLevel] + (X * 6.0) * p_[kFoliageLevel]) * 6.0 * p_[kMainVolume], -1, 1);

    out1[i] = short_.Read(dShort);
    out2[i] = long_.Read(dLong);
    short_.Write(s);
    long_.Write(s);
  }
}

}  // namespace model
