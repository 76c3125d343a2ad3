#pragma once
// The gradient bar with its upright caption down the left of the product's
// windows (the wizard and the uninstaller).
#include "components/GradientBack.h"
#include "components/RotateLabel.h"
#include "platform/Ui.h"

namespace tarvex {

// Sizes the bar to its host, places the caption and paints both on the host.
void DressLogoBar(platform::PaintBox& host, TGradientBack& bar, TRotateLabel& caption, const platform::Bounds& captionBounds,
                  const platform::FontSpec& font, const char* text);

} // namespace tarvex
