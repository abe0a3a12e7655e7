#pragma once
// The screen family of the image filters: dot, line, circular, hatched and CMYK halftone
// screens, line overlay, comic effect and vibrance. They read straight colour.

void RegisterScreenFilters();
