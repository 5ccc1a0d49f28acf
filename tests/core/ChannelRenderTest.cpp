#include "tests/core/TestPlug.h"

#include "tests/core/AllocationCounter.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr float kUntouched = -99.0f;

// A product whose outputs are checkable: out 0 = 2 x in 0, out 1 = running sample index.
void UseRampRenderer(TestPlug& plug) {
  auto counter = std::make_shared<long>(0);
  plug.render = [counter](double** in, double** out, int n) {
    for (int i = 0; i < n; ++i) {
      out[0][i] = 2.0 * in[0][i];
      out[1][i] = static_cast<double>(*counter + i);
    }
    *counter += n;
  };
}

struct HostBlock {
  std::vector<float> in0, in1, out0, out1;
  explicit HostBlock(int n) : in0(n), in1(n), out0(n + 8, kUntouched), out1(n + 8, kUntouched) {
    for (int i = 0; i < n; ++i) {
      in0[i] = 0.001f * i;
      in1[i] = -0.5f + 0.002f * i;
    }
  }
  void Run(TestPlug& plug, int n, bool bypass = false) {
    const float* ins[2] = {in0.data(), in1.data()};
    float* outs[2] = {out0.data(), out1.data()};
    plug.BindHostInputs(0, 2, ins, n);
    plug.BindHostOutputs(0, 2, outs);
    if (bypass) {
      plug.BypassBuffers(n);
    } else {
      plug.RenderAndConvert(n);
    }
  }
};

void ConnectAll(TestPlug& plug) {
  for (int k = 0; k < plug.NInChannels(); ++k) plug.SetInputConnected(k, true);
  for (int k = 0; k < plug.NOutChannels(); ++k) plug.SetOutputConnected(k, true);
}

TEST(ChannelConfig, PairsSetTheChannelCountsAndLegalIO) {
  TestPlug plug(1, "2-2");
  EXPECT_EQ(1, plug.NChannelConfigs());
  EXPECT_TRUE(plug.LegalIO(2, 2) && plug.LegalIO(-1, 2) && plug.LegalIO(2, -1) && plug.LegalIO(-1, -1));
  EXPECT_FALSE(plug.LegalIO(1, 1) || plug.LegalIO(2, 0));
  EXPECT_FALSE(TestPlug(1, nullptr).LegalIO(-1, -1));

  TestPlug two(1, "1-1 2-2");
  EXPECT_EQ(2, two.NChannelConfigs());
  EXPECT_EQ(2, two.NInChannels());
  EXPECT_EQ(2, two.NOutChannels());
  EXPECT_EQ(1, two.ChannelConfig(0).inputs);
  EXPECT_EQ(2, two.ChannelConfig(1).outputs);
  EXPECT_TRUE(two.LegalIO(1, 1) && two.LegalIO(2, 2) && two.LegalIO(1, -1));
  EXPECT_FALSE(two.LegalIO(1, 2));

  TestPlug mixed(1, "1-3 4-1");
  EXPECT_EQ(2, mixed.NChannelConfigs());
  EXPECT_EQ(4, mixed.NInChannels());
  EXPECT_EQ(3, mixed.NOutChannels());
  TestPlug broken(1, "x-2 2-");  // reading stops at the first bad field, which counts as 0
  EXPECT_TRUE(broken.LegalIO(0, 0));
  EXPECT_TRUE(broken.LegalIO(2, 0));
  EXPECT_FALSE(broken.LegalIO(-1, 2));
}

TEST(ChannelBuffers, SameBlockSizeKeepsContentNewSizeClears) {
  TestPlug plug;
  plug.SetBlockSize(64);
  plug.InBuf(0)[5] = 3.0;
  plug.OutBuf(1)[63] = 4.0;
  plug.SetBlockSize(64);
  EXPECT_EQ(3.0, plug.InBuf(0)[5]);
  EXPECT_EQ(4.0, plug.OutBuf(1)[63]);
  plug.SetBlockSize(128);
  EXPECT_EQ(128, plug.BlockSize());
  EXPECT_EQ(0.0, plug.InBuf(0)[5]);
  plug.OutBuf(1)[100] = 1.0;
  plug.ClearChannelBuffers();
  EXPECT_EQ(0.0, plug.OutBuf(1)[100]);
}

TEST(ChannelBinding, UnconnectedChannelsConsumeNoHostBuffer) {
  TestPlug plug;
  plug.SetBlockSize(16);
  plug.SetInputConnected(1, true);
  const float a[4] = {1, 2, 3, 4};
  const float* buffers[2] = {a, nullptr};
  plug.BindHostInputs(0, 2, buffers, 4);
  EXPECT_EQ(3.0, plug.InBuf(1)[2]);
  EXPECT_EQ(0.0, plug.InBuf(0)[2]);

  plug.SetInputConnected(0, true);
  const float b[4] = {5, 6, 7, 8};
  const float* second[1] = {b};
  plug.BindHostInputs(1, 1, second, 4);  // a window starting at channel 1
  EXPECT_EQ(8.0, plug.InBuf(1)[3]);
  EXPECT_EQ(0.0, plug.InBuf(0)[3]);
}

TEST(ChannelRender, OutputsAreNarrowedIntoConnectedHostBuffersOnly) {
  TestPlug plug;
  plug.SetBlockSize(32);
  plug.SetOutputConnected(1, true);
  plug.render = [](double**, double** out, int n) {
    for (int i = 0; i < n; ++i) {
      out[0][i] = 1.0;
      out[1][i] = 0.1;
    }
  };
  std::vector<float> h0(32, kUntouched), h1(32, kUntouched);
  float* outs[2] = {h0.data(), h1.data()};
  plug.BindHostOutputs(0, 2, outs);
  plug.RenderAndConvert(32);
  EXPECT_EQ(0.1f, h0[31]);        // output 1 took the first host buffer
  EXPECT_EQ(kUntouched, h1[0]);   // nothing took the second

  std::fill(h0.begin(), h0.end(), 1.0f);
  plug.BindHostOutputs(0, 2, outs);
  plug.RenderAndConvert(32, true);
  EXPECT_EQ(1.0f + 0.1f, h0[7]);
}

TEST(ChannelRender, LongHostBlocksAreRenderedInSlices) {
  TestPlug plug;
  ConnectAll(plug);
  plug.SetBlockSize(512);
  UseRampRenderer(plug);
  HostBlock block(1300);
  block.Run(plug, 1300);
  EXPECT_EQ((std::vector<int>{512, 512, 276}), plug.blockSizes);
  for (int i = 0; i < 1300; ++i) {
    ASSERT_EQ(2.0f * block.in0[i], block.out0[i]) << i;
    ASSERT_EQ(static_cast<float>(i), block.out1[i]) << i;
  }
  EXPECT_EQ(kUntouched, block.out0[1300]);
}

TEST(ChannelRender, WithoutBlockSizeTheHostGetsSilence) {
  TestPlug plug;
  ConnectAll(plug);
  HostBlock block(64);
  block.Run(plug, 64);
  EXPECT_TRUE(plug.blockSizes.empty());
  EXPECT_EQ(0.0f, block.out0[0]);
  EXPECT_EQ(0.0f, block.out1[63]);
  EXPECT_EQ(kUntouched, block.out1[64]);
}

TEST(ChannelBypass, WithoutLatencyInputsPassUnchanged) {
  TestPlug plug;
  ConnectAll(plug);
  plug.SetBlockSize(256);
  UseRampRenderer(plug);
  HostBlock block(600);
  block.Run(plug, 600, true);
  EXPECT_TRUE(plug.blockSizes.empty());  // the product's renderer is not used
  for (int i = 0; i < 600; ++i) {
    ASSERT_EQ(block.in0[i], block.out0[i]) << i;
    ASSERT_EQ(block.in1[i], block.out1[i]) << i;
  }
}

TEST(ChannelBypass, LatencyDelaysInputsByExactlyThatManySamples) {
  TestPlug plug(1, "2-2", 1, 3);
  plug.CreateLatencyDelay();
  ConnectAll(plug);
  plug.SetBlockSize(4);
  HostBlock first(10);   // 10 frames through 4-frame buffers
  first.Run(plug, 10, true);
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(i < 3 ? 0.0f : first.in0[i - 3], first.out0[i]) << i;
    ASSERT_EQ(i < 3 ? 0.0f : first.in1[i - 3], first.out1[i]) << i;
  }
  HostBlock second(4);
  second.Run(plug, 4, true);
  EXPECT_EQ(first.in0[7], second.out0[0]);
  EXPECT_EQ(first.in1[9], second.out1[2]);
  EXPECT_EQ(second.in0[0], second.out0[3]);

  plug.SetLatency(5);
  EXPECT_EQ(5, plug.GetLatencyDelay()->Length());
  EXPECT_EQ(0, plug.GetLatencyDelay()->WritePos());
  HostBlock third(8);
  third.Run(plug, 8, true);
  EXPECT_EQ(0.0f, third.out1[4]);  // history was cleared
  EXPECT_EQ(third.in1[0], third.out1[5]);
}

TEST(ChannelDouble, ConnectedChannelsUseTheHostBuffersAcrossSlices) {
  TestPlug plug;
  plug.SetInputConnected(0, true);
  plug.SetOutputConnected(0, true);
  plug.SetOutputConnected(1, true);
  plug.SetBlockSize(100);
  UseRampRenderer(plug);
  std::vector<double> in(250), out0(250, -1.0), out1(250, -1.0);
  for (int i = 0; i < 250; ++i) in[i] = i * 0.5;
  double* ins[1] = {in.data()};
  double* outs[2] = {out0.data(), out1.data()};
  plug.RenderDouble(ins, 1, outs, 2, 250);
  EXPECT_EQ((std::vector<int>{100, 100, 50}), plug.blockSizes);
  for (int i = 0; i < 250; ++i) {
    ASSERT_EQ(i * 1.0, out0[i]) << i;
    ASSERT_EQ(static_cast<double>(i), out1[i]) << i;
  }
}

TEST(ChannelRender, TheBlockPathAllocatesNothing) {
  TestPlug plug(1, "2-2", 1, 7);
  plug.CreateLatencyDelay();
  ConnectAll(plug);
  plug.SetBlockSize(512);
  plug.blockSizes.reserve(64);
  UseRampRenderer(plug);
  HostBlock block(1500);
  std::vector<double> d0(1500), d1(1500);
  double* dIns[2] = {d0.data(), d1.data()};
  double* dOuts[2] = {d0.data(), d1.data()};

  StartCountingAllocations();
  block.Run(plug, 512);
  block.Run(plug, 1500);
  block.Run(plug, 1500, true);
  plug.RenderDouble(dIns, 2, dOuts, 2, 1500);
  plug.ClearChannelBuffers();
  EXPECT_EQ(0, StopCountingAllocations());
  EXPECT_EQ(7u, plug.blockSizes.size());  // 1 + 3 slices rendered, 3 direct
}

}  // namespace
