// The instrument on the headless adapter with the small editor of the VST 2 module (500 x 480,
// half-size images): the layout tests and the snapshot tool build it beside the full-size one.
#pragma once

#include "hosts/headless/IPlugHeadless.h"

class IPlugHeadlessSmall : public IPlugHeadless {
 public:
  using IPlugHeadless::IPlugHeadless;

  static constexpr int kEditorScale = 1;
  static constexpr int kEditorWidth = 500 * kEditorScale;
  static constexpr int kEditorHeight = 480 * kEditorScale;
};

using SylvaneAdapter = IPlugHeadlessSmall;
