#pragma once
// The distortion family of the image filters, all on one inverse-map sampler: bump, linear bump,
// circular wrap, hole, pinch, twirl, vortex and glass.

void RegisterDistortionFilters();
