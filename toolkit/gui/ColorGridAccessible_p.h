#pragma once
// What screen readers see of a TColorGrid: a list whose items are the
// swatches, named by colour, each with a press action that picks it.
class TColorGrid;

// Registers the grid's accessible interface with Qt; the first grid made calls it.
void InstallColorGridAccessibility();

// Tells an assistive technology listening that the keyboard moved to another swatch.
void ColorGridCurrentChanged(TColorGrid* grid);
