#pragma once
// The two light generators of the image filters, sunbeams and star shine. They have no input
// image: each paints a square of twice its reach around its centre (at most 512 pixels a side),
// in its colour, alpha the light's strength.

void RegisterGeneratorFilters();
