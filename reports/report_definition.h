#pragma once
// A banded report as data: the page, the report font, the dataset whose records drive the
// detail band, and the bands with their printables. Every position and size is in millimetres,
// relative to the top-left corner of what contains it: a printable to its band, a band to the
// printable area of its page or column. The report definitions of the program are written with
// the builders at the end of this header, so that each reads as a table.

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

namespace corvalen::db {
class Dataset;
}

namespace corvalen::reports {

struct FontStyle {
    QString family = QStringLiteral("Arial");
    double points = 10;
    bool bold = false;
    bool operator==(const FontStyle&) const = default;
};

enum class BandKind { PageHeader, Title, ColumnHeader, Detail, SubDetail, Summary, PageFooter };

enum class PrintableKind {
    Label,      // a fixed caption
    DataText,   // the value of one field of the current record of a dataset
    SystemData, // a value the engine supplies
    Picture     // a picture given at run time, stretched to its rectangle
};

enum class SystemDataKind { PageNumber, Date, DetailCount };

// Texts are left-aligned, as wide as their text (auto-size) and wrapped at word boundaries
// where they would pass `width` (when given) or the band's right edge. A text that does not
// stretch shows the lines that fit in its band; one that stretches grows its band downwards
// until every line shows.
struct Printable {
    PrintableKind kind = PrintableKind::Label;
    QString name; // the component name, where the report refers to it
    double left = 0;
    double top = 0;
    double width = 0;  // wrapping width for texts (0: up to the band's edge); pictures' width
    double height = 0; // pictures only
    std::optional<FontStyle> font; // the report font when absent
    QString caption;               // labels; the prefix text of system data
    db::Dataset* dataset = nullptr;
    QString field;
    QString mask; // display mask of a data-bound text: "hh:nn", "#,##0.00"
    bool autoStretch = false;
    SystemDataKind system = SystemDataKind::PageNumber;
    bool alignToBand = false; // system data placed against the band's left edge
    QImage picture;
};

struct Band {
    BandKind kind = BandKind::Detail;
    double height = 0;
    double width = 190;
    std::vector<Printable> printables;
};

struct ReportDefinition {
    QString name; // shown in the preview's suggested PDF file name
    double paperWidth = 210;
    double paperHeight = 297;
    double topMargin = 10;
    double bottomMargin = 10;
    double leftMargin = 10;
    double rightMargin = 10;
    int columns = 1;
    double columnSpacing = 0;
    FontStyle font;
    db::Dataset* dataset = nullptr; // none: the detail band prints once
    bool printIfEmpty = true;
    bool firstPageHeader = true;
    bool lastPageFooter = true;
    std::vector<Band> bands;

    const Band* band(BandKind kind) const;
    Printable* printable(const QString& name); // nullptr when no printable has that name
};

// Builders for the definitions' tables.
inline FontStyle arial(double points, bool bold = false) {
    return {QStringLiteral("Arial"), points, bold};
}
inline FontStyle bookman(double points, bool bold = false) {
    return {QStringLiteral("Bookman Old Style"), points, bold};
}
inline constexpr bool bold = true;

inline Band band(BandKind kind, double height, std::vector<Printable> printables = {},
                 double width = 190) {
    return {kind, height, width, std::move(printables)};
}

inline Printable label(double left, double top, const QString& caption,
                       std::optional<FontStyle> font = {}) {
    Printable p;
    p.kind = PrintableKind::Label;
    p.left = left;
    p.top = top;
    p.caption = caption;
    p.font = std::move(font);
    return p;
}

inline Printable dataText(double left, double top, db::Dataset* dataset, const QString& field,
                          std::optional<FontStyle> font = {}) {
    Printable p;
    p.kind = PrintableKind::DataText;
    p.left = left;
    p.top = top;
    p.dataset = dataset;
    p.field = field;
    p.font = std::move(font);
    return p;
}

inline Printable systemData(double left, double top, SystemDataKind kind,
                            std::optional<FontStyle> font = {}) {
    Printable p;
    p.kind = PrintableKind::SystemData;
    p.left = left;
    p.top = top;
    p.system = kind;
    p.font = std::move(font);
    return p;
}

inline Printable picture(double left, double top, double width, double height) {
    Printable p;
    p.kind = PrintableKind::Picture;
    p.left = left;
    p.top = top;
    p.width = width;
    p.height = height;
    return p;
}

// Chained adjustments for a builder's result: named(masked(dataText(...), "hh:nn"), "X").
inline Printable named(Printable p, const QString& name) {
    p.name = name;
    return p;
}
inline Printable masked(Printable p, const QString& mask) {
    p.mask = mask;
    return p;
}
inline Printable stretching(Printable p) {
    p.autoStretch = true;
    return p;
}
inline Printable alignedToBand(Printable p) {
    p.alignToBand = true;
    return p;
}
inline Printable wrappedAt(Printable p, double width) {
    p.width = width;
    return p;
}

} // namespace corvalen::reports
