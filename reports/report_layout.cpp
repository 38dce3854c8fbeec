#include "reports/report_layout.h"

#include "db/dataset.h"
#include "db/widgets/form.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QRegularExpression>
#include <QTextLayout>
#include <cmath>
#include <unordered_map>

namespace corvalen::reports {

namespace {

// Records between two calls of the progress callback.
constexpr int progressStep = 512;

QString installedFamily(const QString& family) {
    // The metric-compatible clones of the Windows fonts the reports were designed with.
    static const std::pair<const char*, const char*> clones[] = {
        {"Arial", "Liberation Sans"},
        {"Bookman Old Style", "URW Bookman"},
    };
    const QStringList families = QFontDatabase::families();
    if (families.contains(family, Qt::CaseInsensitive))
        return family;
    if (family.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0)
        return programFont().family();
    for (const auto& [original, clone] : clones) {
        if (family.compare(QLatin1String(original), Qt::CaseInsensitive) == 0 &&
            families.contains(QLatin1String(clone)))
            return QLatin1String(clone);
    }
    return family;
}

bool isNumeric(db::FieldType type) {
    return type == db::FieldType::Integer || type == db::FieldType::AutoInc ||
           type == db::FieldType::Float;
}

bool isMoment(db::FieldType type) {
    return type == db::FieldType::Date || type == db::FieldType::Time ||
           type == db::FieldType::DateTime;
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// A report font with its measuring cache.
struct Measure {
    QFontMetricsF metrics;
    QHash<QString, double> widths; // millimetres

    double width(const QString& text) {
        auto found = widths.constFind(text);
        if (found != widths.constEnd())
            return *found;
        const double w = metrics.horizontalAdvance(text) / fontUnitsPerMm;
        widths.insert(text, w);
        return w;
    }
};

struct Prepared {
    int font = -1;
    int field = -1;
    std::optional<LaidItem> fixed; // labels and pictures print the same every time
};

// A band about to be placed: its items relative to the band's top-left corner.
struct Instance {
    const Band* band = nullptr;
    double height = 0;
    std::vector<LaidItem> items;
    int stretch = -1; // the item that stretches the band, when it has lines to split
};

class Layout {
public:
    Layout(const ReportDefinition& definition, const LayoutOptions& options)
        : def_(definition), options_(options) {
        for (BandKind kind :
             {BandKind::PageHeader, BandKind::Title, BandKind::ColumnHeader, BandKind::Detail,
              BandKind::SubDetail, BandKind::Summary, BandKind::PageFooter})
            bands_[int(kind)] = def_.band(kind);
        const Band* detail = bands_[int(BandKind::Detail)];
        const double printable = def_.paperWidth - def_.leftMargin - def_.rightMargin;
        columnWidth_ = detail ? detail->width
                              : (printable - def_.columnSpacing * (def_.columns - 1)) /
                                    std::max(def_.columns, 1);
        const Band* footer = bands_[int(BandKind::PageFooter)];
        bottom_ = def_.paperHeight - def_.bottomMargin - (footer ? footer->height : 0);
        out_.name = def_.name;
        out_.paper = QSizeF(def_.paperWidth, def_.paperHeight);
        prepare();
    }

    std::optional<LaidReport> run() {
        db::Dataset* data = def_.dataset;
        const bool records = data && data->isOpen() && !data->isEmpty();
        out_.detailCount = data && data->isOpen() ? data->recordCount() : 1;
        if (!records && !def_.printIfEmpty)
            return std::move(out_);

        suppressColumnHeader_ = !records;
        startPage();
        if (records)
            data->first();
        print(BandKind::Title);
        columnTop_ = y_;
        columnEmpty_ = true;
        if (records) {
            printColumnHeader();
            const int total = out_.detailCount;
            int done = 0;
            while (!data->eof()) {
                print(BandKind::Detail);
                print(BandKind::SubDetail);
                data->next();
                if (options_.progress && ++done % progressStep == 0 &&
                    !options_.progress(done, total))
                    return std::nullopt;
            }
        } else {
            print(BandKind::Detail);
            print(BandKind::SubDetail);
        }
        print(BandKind::Summary);
        endPage(true);
        return std::move(out_);
    }

private:
    // ------------------------------------------------------------------ pages and columns

    void startPage() {
        out_.pages.emplace_back();
        ++pageNumber_;
        column_ = 1;
        y_ = def_.topMargin;
        const Band* header = bands_[int(BandKind::PageHeader)];
        if (header && (pageNumber_ > 1 || def_.firstPageHeader))
            place(build(*header));
        if (pageNumber_ > 1) {
            columnTop_ = y_;
            suppressColumnHeader_ = false;
            printColumnHeader();
        }
        columnEmpty_ = true;
    }

    void endPage(bool last) {
        const Band* footer = bands_[int(BandKind::PageFooter)];
        if (footer && (!last || def_.lastPageFooter)) {
            y_ = def_.paperHeight - def_.bottomMargin - footer->height;
            column_ = 1;
            place(build(*footer));
        }
    }

    void endColumn() {
        if (column_ < def_.columns) {
            ++column_;
            y_ = columnTop_;
            printColumnHeader();
            columnEmpty_ = true;
        } else {
            endPage(false);
            startPage();
        }
    }

    void printColumnHeader() {
        const Band* header = bands_[int(BandKind::ColumnHeader)];
        if (header && !suppressColumnHeader_)
            place(build(*header));
    }

    // Room that the next column offers below its column header.
    double nextColumnRoom() const {
        double top = columnTop_;
        if (column_ >= def_.columns) {
            top = def_.topMargin;
            if (const Band* header = bands_[int(BandKind::PageHeader)])
                top += header->height;
        }
        if (const Band* header = bands_[int(BandKind::ColumnHeader)])
            top += header->height;
        return bottom_ - top;
    }

    double room() const { return bottom_ - y_; }

    static bool inColumns(BandKind kind) {
        return kind == BandKind::ColumnHeader || kind == BandKind::Detail ||
               kind == BandKind::SubDetail || kind == BandKind::Summary;
    }

    // ------------------------------------------------------------------ printing bands

    void print(BandKind kind) {
        const Band* band = bands_[int(kind)];
        if (!band)
            return;
        Instance instance = build(*band);
        if (instance.height > room()) {
            // A band with nothing on it only leaves space below what the column holds: at the
            // end of a column that space is there anyway, and a page of its own would be a
            // blank sheet of letterhead.
            if (band->printables.empty() && !columnEmpty_)
                return;
            if (instance.stretch >= 0) {
                printSplitting(std::move(instance));
                return;
            }
            // Moving on only helps when the band has something printed above it or fits the
            // next column; otherwise it prints here, over the footer area.
            if (!columnEmpty_ || instance.height <= nextColumnRoom()) {
                endColumn();
                instance = build(*band);
            }
        }
        place(std::move(instance));
        columnEmpty_ = false;
    }

    // A stretched band that does not fit where it is: it starts the next column when it fits
    // there whole; a taller one starts here and continues line by line in the next columns.
    void printSplitting(Instance instance) {
        if (instance.height <= nextColumnRoom()) {
            endColumn();
            place(build(*instance.band));
            columnEmpty_ = false;
            return;
        }
        for (;;) {
            std::optional<Instance> rest;
            if (instance.height > room()) {
                rest = split(instance, room());
                if (!rest && !columnEmpty_) {
                    endColumn(); // not one line fits under what this column holds already
                    continue;
                }
            }
            place(std::move(instance));
            columnEmpty_ = false;
            if (!rest)
                return;
            endColumn();
            instance = std::move(*rest);
        }
    }

    // Cuts `instance` so that it fits in `available`: it keeps its printables and the lines of
    // its stretching text that fit; the remaining lines are returned as a band of their own.
    // Nothing when not one line fits, or when it is not the text that makes the band too tall.
    std::optional<Instance> split(Instance& instance, double available) {
        LaidItem& item = instance.items[size_t(instance.stretch)];
        const ReportFont& font = out_.fonts[size_t(item.font)];
        const QStringList lines = item.text.split(QLatin1Char('\n'));
        const int fitting =
            int(std::floor((available - item.rect.top()) / font.lineSpacing + 1e-9));
        if (fitting < 1 || fitting >= lines.size())
            return std::nullopt;
        const QStringList kept = lines.mid(0, fitting);
        const QStringList remaining = lines.mid(fitting);
        item.text = kept.join(QLatin1Char('\n'));
        item.rect.setSize(QSizeF(widest(kept, item.font), fitting * font.lineSpacing));
        instance.height = available;

        Instance rest{instance.band, remaining.size() * font.lineSpacing, {}, 0};
        rest.items.push_back(
            {QRectF(item.rect.left(), 0, widest(remaining, item.font), rest.height),
             remaining.join(QLatin1Char('\n')), item.font, -1});
        return rest;
    }

    void place(Instance instance) {
        const Band& band = *instance.band;
        const bool columnar = inColumns(band.kind);
        const double x =
            def_.leftMargin + (columnar ? (column_ - 1) * (columnWidth_ + def_.columnSpacing) : 0);
        LaidBand laid{band.kind, columnar ? column_ : 1, QRectF(x, y_, band.width, instance.height),
                      std::move(instance.items)};
        for (LaidItem& item : laid.items)
            item.rect.translate(x, y_);
        out_.pages.back().bands.push_back(std::move(laid));
        y_ += instance.height;
    }

    // ------------------------------------------------------------------ band content

    Instance build(const Band& band) {
        Instance instance{&band, band.height, {}, -1};
        instance.items.reserve(band.printables.size());
        const std::vector<Prepared>& prepared = prepared_[&band];
        for (size_t i = 0; i < band.printables.size(); ++i) {
            const Printable& p = band.printables[i];
            const Prepared& ready = prepared[i];
            if (ready.fixed) {
                instance.items.push_back(*ready.fixed);
            } else {
                instance.items.push_back(textItem(p, band, ready.font, textOf(p, ready)));
            }
            const LaidItem& item = instance.items.back();
            if (p.autoStretch) {
                instance.height = std::max(instance.height, item.rect.bottom());
                if (item.text.contains(QLatin1Char('\n')))
                    instance.stretch = int(instance.items.size() - 1);
            }
        }
        return instance;
    }

    QString textOf(const Printable& p, const Prepared& ready) {
        switch (p.kind) {
        case PrintableKind::DataText:
            return fieldText(p.dataset, ready.field, p.mask);
        case PrintableKind::SystemData:
            switch (p.system) {
            case SystemDataKind::PageNumber:
                return p.caption + QString::number(pageNumber_);
            case SystemDataKind::Date:
                return p.caption + shortDate(options_.today);
            case SystemDataKind::DetailCount:
                return p.caption + QString::number(out_.detailCount);
            }
            break;
        case PrintableKind::Label:
            return p.caption;
        case PrintableKind::Picture:
            break;
        }
        return {};
    }

    // The text wrapped to its room; a text that does not stretch keeps the lines that fit in
    // its band (at least one).
    LaidItem textItem(const Printable& p, const Band& band, int font, const QString& text) {
        const double x = p.alignToBand ? 0 : p.left;
        const double room = std::max(p.width > 0 ? p.width : band.width - x, 1.0);
        const double spacing = out_.fonts[size_t(font)].lineSpacing;
        // Most values are one short line.
        if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
            const double width = text.isEmpty() ? 0 : measures_[size_t(font)].width(text);
            if (width <= room)
                return {QRectF(x, p.top, width, spacing), text, font, -1};
        }
        QStringList lines = wrap(text, font, room);
        if (!p.autoStretch) {
            const int fitting = int(std::floor((band.height - p.top) / spacing + 1e-9));
            if (lines.size() > std::max(fitting, 1))
                lines = lines.mid(0, std::max(fitting, 1));
        }
        const double height = std::max<qsizetype>(lines.size(), 1) * spacing;
        return {QRectF(x, p.top, widest(lines, font), height), lines.join(QLatin1Char('\n')), font,
                -1};
    }

    QStringList wrap(const QString& text, int font, double room) {
        if (text.isEmpty())
            return {};
        Measure& measure = measures_[size_t(font)];
        QStringList paragraphs;
        if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
            QString unified = text;
            unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            paragraphs = unified.split(QLatin1Char('\n'));
        } else {
            paragraphs << text;
        }
        QStringList lines;
        for (const QString& paragraph : paragraphs) {
            if (measure.width(paragraph) <= room) {
                lines << paragraph;
                continue;
            }
            // Broken between words, and inside a word only where one word is wider than the
            // room, so that nothing passes the band's edge.
            QTextLayout layout(paragraph, out_.fonts[size_t(font)].font);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(room * fontUnitsPerMm);
                QString part = paragraph.mid(line.textStart(), line.textLength());
                while (part.endsWith(QLatin1Char(' ')))
                    part.chop(1);
                lines << part;
            }
            layout.endLayout();
        }
        return lines;
    }

    double widest(const QStringList& lines, int font) {
        double w = 0;
        for (const QString& line : lines)
            w = std::max(w, measures_[size_t(font)].width(line));
        return w;
    }

    int fontIndex(const FontStyle& style) {
        for (size_t i = 0; i < out_.fonts.size(); ++i)
            if (out_.fonts[i].style == style)
                return int(i);
        ReportFont font{style, resolveFont(style), 0, 0};
        const QFontMetricsF metrics(font.font);
        font.ascent = metrics.ascent() / fontUnitsPerMm;
        font.lineSpacing = metrics.lineSpacing() / fontUnitsPerMm;
        out_.fonts.push_back(font);
        measures_.push_back({metrics, {}});
        return int(out_.fonts.size() - 1);
    }

    // What every printing of a printable shares: its font, its field, and the whole item
    // for a label or a picture.
    void prepare() {
        for (const Band& band : def_.bands) {
            std::vector<Prepared>& prepared = prepared_[&band];
            for (const Printable& p : band.printables) {
                Prepared ready;
                if (p.kind == PrintableKind::Picture) {
                    out_.pictures.push_back(p.picture);
                    ready.fixed = LaidItem{QRectF(p.left, p.top, p.width, p.height),
                                           {},
                                           -1,
                                           int(out_.pictures.size() - 1)};
                    prepared.push_back(ready);
                    continue;
                }
                ready.font = fontIndex(p.font.value_or(def_.font));
                if (p.kind == PrintableKind::DataText)
                    ready.field =
                        p.dataset && p.dataset->isOpen() ? p.dataset->fieldIndex(p.field) : -1;
                if (p.kind == PrintableKind::Label)
                    ready.fixed = textItem(p, band, ready.font, p.caption);
                prepared.push_back(ready);
            }
        }
    }

    const ReportDefinition& def_;
    const LayoutOptions& options_;
    LaidReport out_;
    const Band* bands_[7] = {};
    std::vector<Measure> measures_;
    std::unordered_map<const Band*, std::vector<Prepared>> prepared_;
    double columnWidth_ = 0;
    double bottom_ = 0; // where the footer area starts
    int pageNumber_ = 0;
    int column_ = 1;
    double y_ = 0;
    double columnTop_ = 0;
    bool columnEmpty_ = true; // nothing but the column header printed in this column yet
    bool suppressColumnHeader_ = false;
};

} // namespace

const Band* ReportDefinition::band(BandKind kind) const {
    for (const Band& b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

Printable* ReportDefinition::printable(const QString& name) {
    for (Band& b : bands)
        for (Printable& p : b.printables)
            if (p.name == name)
                return &p;
    return nullptr;
}

QFont resolveFont(const FontStyle& style) {
    QFont font(installedFamily(style.family));
    font.setPixelSize(int(std::lround(style.points * 25.4 / 72 * fontUnitsPerMm)));
    font.setBold(style.bold);
    // Unhinted outlines scale linearly: a text measures the same on every device.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

std::optional<LaidReport> layoutReport(const ReportDefinition& definition,
                                       const LayoutOptions& options) {
    return Layout(definition, options).run();
}

QString fieldText(db::Dataset* dataset, int fieldIndex, const QString& mask) {
    if (!dataset || !dataset->isOpen() || fieldIndex < 0 || fieldIndex >= dataset->fieldCount())
        return {};
    const db::Field field = dataset->field(fieldIndex);
    const QVariant value = field.value();
    if (!value.isValid() || value.isNull())
        return {};
    const db::FieldType type = field.type();
    if (mask.isEmpty() || !(isNumeric(type) || isMoment(type)))
        return field.displayText();
    std::optional<QString> text;
    if (isNumeric(type)) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            text = formatNumber(number, mask);
    } else if (value.typeId() == QMetaType::QDate) {
        text = formatMoment(value.toDate(), QTime(0, 0), mask);
    } else if (value.typeId() == QMetaType::QTime) {
        text = formatMoment(QDate(1899, 12, 30), value.toTime(), mask);
    } else if (value.typeId() == QMetaType::QDateTime) {
        text = formatMoment(value.toDateTime().date(), value.toDateTime().time(), mask);
    }
    return text.value_or(QString());
}

std::optional<QString> formatNumber(double value, const QString& mask) {
    static const QString placeholders = QStringLiteral("0#.,");
    qsizetype first = 0;
    while (first < mask.size() && !placeholders.contains(mask.at(first)))
        ++first;
    if (first == mask.size() || !std::isfinite(value))
        return std::nullopt;
    qsizetype last = mask.size() - 1;
    while (!placeholders.contains(mask.at(last)))
        --last;
    const QString core = mask.mid(first, last - first + 1);
    const qsizetype point = core.indexOf(QLatin1Char('.'));
    const QString integerPart = point < 0 ? core : core.left(point);
    const QString decimalPart = point < 0 ? QString() : core.mid(point + 1);
    const int decimals =
        int(decimalPart.count(QLatin1Char('0')) + decimalPart.count(QLatin1Char('#')));
    const int minDecimals = int(decimalPart.count(QLatin1Char('0')));
    const int minDigits = int(integerPart.count(QLatin1Char('0')));

    QString digits = QString::number(std::fabs(value), 'f', decimals);
    QString fraction;
    if (decimals > 0) {
        fraction = digits.mid(digits.indexOf(QLatin1Char('.')) + 1);
        digits = digits.left(digits.indexOf(QLatin1Char('.')));
        while (fraction.size() > minDecimals && fraction.endsWith(QLatin1Char('0')))
            fraction.chop(1);
    }
    digits.remove(QRegularExpression(QStringLiteral("^0+")));
    if (digits.size() < minDigits)
        digits = QString(minDigits - digits.size(), QLatin1Char('0')) + digits;
    if (core.contains(QLatin1Char(','))) {
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char('.'));
    }
    QString text = digits;
    if (!fraction.isEmpty())
        text += QLatin1Char(',') + fraction;
    const bool negative = value < 0 && text.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return mask.left(first) + (negative ? QStringLiteral("-") : QString()) + text +
           mask.mid(last + 1);
}

std::optional<QString> formatMoment(const QDate& date, const QTime& time, const QString& mask) {
    QString out;
    bool formatted = false;
    bool afterHour = false; // "mm" right after an hour stands for minutes
    qsizetype i = 0;
    while (i < mask.size()) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = mask.indexOf(c, i + 1);
            out += mask.mid(i + 1, (end < 0 ? mask.size() : end) - i - 1);
            i = end < 0 ? mask.size() : end + 1;
            continue;
        }
        const QChar lower = c.toLower();
        qsizetype run = 1;
        while (i + run < mask.size() && mask.at(i + run).toLower() == lower)
            ++run;
        QString part;
        if (lower == QLatin1Char('y')) {
            part = run >= 3 ? QString::number(date.year()) : twoDigits(date.year() % 100);
        } else if (lower == QLatin1Char('m')) {
            if (afterHour)
                part = run >= 2 ? twoDigits(time.minute()) : QString::number(time.minute());
            else
                part = run >= 2 ? twoDigits(date.month()) : QString::number(date.month());
        } else if (lower == QLatin1Char('d')) {
            part = run >= 2 ? twoDigits(date.day()) : QString::number(date.day());
        } else if (lower == QLatin1Char('h')) {
            part = run >= 2 ? twoDigits(time.hour()) : QString::number(time.hour());
        } else if (lower == QLatin1Char('n')) {
            part = run >= 2 ? twoDigits(time.minute()) : QString::number(time.minute());
        } else if (lower == QLatin1Char('s')) {
            part = run >= 2 ? twoDigits(time.second()) : QString::number(time.second());
        } else {
            out += mask.mid(i, run);
            i += run;
            continue;
        }
        if (!date.isValid() || !time.isValid())
            return std::nullopt;
        formatted = true;
        afterHour = lower == QLatin1Char('h');
        out += part;
        i += run;
    }
    if (!formatted)
        return std::nullopt;
    return out;
}

QString shortDate(const QDate& date) {
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace corvalen::reports
