#pragma once
// The program's current printer: the one printing uses and page setup
// changes. Made on first use at the printer's own resolution.
class QPrinter;

QPrinter& CurrentPrinter();

// Makes to print where from prints, on the same paper with the same margins.
void CopyPrinterSettings(const QPrinter& from, QPrinter& to);
