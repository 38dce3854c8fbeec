#pragma once
// Painting laid-out pages with QPainter on any paint device: the preview's page view, an
// image, a PDF writer, a printer. The positions and line breaks come from the layout, so every
// device shows the same page.

#include "reports/report_layout.h"

#include <QImage>
#include <functional>

class QPagedPaintDevice;
class QPainter;

namespace corvalen::reports {

// Paints page `index` (from 0) on a painter whose coordinates are millimetres from the paper's
// top-left corner. The paper itself is not filled.
void paintPage(QPainter& painter, const LaidReport& report, int index);

// The page as an image, `dotsPerMm` pixels to the millimetre, on white paper.
QImage pageImage(const LaidReport& report, int index, double dotsPerMm);

// Paints pages first..last (from 0) on a paged device (a printer, a PDF writer) set to the
// report's paper, one device page each. `progress` is asked before each page with the pages
// done; returning false stops. Returns false when stopped or when the device cannot be painted.
bool paintPages(QPagedPaintDevice& device, const LaidReport& report, int first, int last,
                const std::function<bool(int done)>& progress = {});

// Writes the whole report to a PDF file, replacing it only once complete. Raises the file's
// error when it cannot be written; returns false when `progress` stopped it (nothing written).
bool writePdf(const LaidReport& report, const QString& path,
              const std::function<bool(int done)>& progress = {});

} // namespace corvalen::reports
