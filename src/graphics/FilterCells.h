#pragma once
// The cell family of the image filters: crystallize, pointillize and hexagonal pixellate.

void RegisterCellFilters();
