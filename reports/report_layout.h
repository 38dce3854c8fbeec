#pragma once
// Laying a report out on pages: a function from a report definition and the current content of
// its datasets to pages of positioned items, with no painting and no windows involved.
//
// The bands follow the banded-report rules: the page header at the top margin of every page;
// the title once, under it; the column header at the top of every column (not on page 1 of a
// report without records, where the detail follows the title directly); the detail once per
// record, in dataset order, each followed by the sub-detail; the summary after the last
// detail; the page footer with its top at paper length - bottom margin - its height, on every
// page. A band that does not fit above the footer area starts the next column or page; one
// taller than a whole column prints anyway. A stretching band that is taller than a whole
// column is not cut short: its text continues, line by line, in the next columns and pages.
// A band without printables that does not fit at the end of a column is left out instead of
// starting a blank page.
//
// Values are read at the moment their band prints, from each dataset's current record; the
// detail iteration leaves the report's dataset at its end. Texts are measured in the report's
// fonts at a fixed resolution, so the pages are the same whatever device shows them later.

#include "reports/report_definition.h"

#include <QDate>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <functional>
#include <optional>

namespace corvalen::reports {

// A font of the report resolved to an installed family. Its pixel size is in hundredths of a
// millimetre (fontUnitsPerMm); ascent and lineSpacing are in millimetres.
struct ReportFont {
    FontStyle style;
    QFont font;
    double ascent = 0;
    double lineSpacing = 0;
};
inline constexpr double fontUnitsPerMm = 100;

// The installed family that stands for a report family ("Arial" -> Liberation Sans, "Bookman
// Old Style" -> URW Bookman, "Tahoma" -> its Wine clone), at the given size.
QFont resolveFont(const FontStyle& style);

struct LaidItem {
    QRectF rect;      // on the page, in millimetres
    QString text;     // the lines, separated by '\n'; empty for a picture
    int font = -1;    // index into LaidReport::fonts; -1 for a picture
    int picture = -1; // index into LaidReport::pictures
};

struct LaidBand {
    BandKind kind = BandKind::Detail;
    int column = 1;
    QRectF rect; // on the page, in millimetres
    std::vector<LaidItem> items;
};

struct Page {
    std::vector<LaidBand> bands;
};

struct LaidReport {
    QString name;
    QSizeF paper; // millimetres
    std::vector<ReportFont> fonts;
    std::vector<QImage> pictures;
    std::vector<Page> pages;
    int detailCount = 0; // the value printed by the detail-count system data
};

struct LayoutOptions {
    QDate today; // printed by the date system data
    // Called now and then during the detail iteration with the records done and their total;
    // returning false cancels the layout.
    std::function<bool(int done, int total)> progress;
};

// The pages of the report; nothing when the progress callback cancelled it.
std::optional<LaidReport> layoutReport(const ReportDefinition& definition,
                                       const LayoutOptions& options);

// The text a data-bound printable shows for the current record: the field's display text, or,
// with a mask, the number or moment formatted by it. Empty for a closed dataset, a missing
// field, a null value or a value the mask cannot format.
QString fieldText(db::Dataset* dataset, int fieldIndex, const QString& mask);

// Display masks. Numbers: '0' a digit, '#' a digit when significant, '.' the decimal point,
// ',' anywhere for thousands separators, other characters kept; Brazilian separators ("1.234,50").
// Moments: d dd m mm yy yyyy h hh n nn s ss, "mm" right after an hour meaning minutes, '/' and
// ':' as separators, quoted text kept. nullopt when the mask has nothing to format.
std::optional<QString> formatNumber(double value, const QString& mask);
std::optional<QString> formatMoment(const QDate& date, const QTime& time, const QString& mask);

// The program's short date format.
QString shortDate(const QDate& date);

} // namespace corvalen::reports
