// SPDX-License-Identifier: MIT
// The legend under the plot: entries in rows centred in the picture.
#include <ostream>

#include "svg/parts.h"

namespace svg {

namespace {

// The room of an entry's swatch and of the whole entry in the legend.
double swatchRoom(const LegendEntry& e) {
    return e.swatch == LegendEntry::None ? 0 : swatchWidth + swatchGap;
}
double entryWidth(const LegendEntry& e) { return swatchRoom(e) + textWidth(e.text, legendSize); }

double rowWidth(const std::vector<LegendEntry>& entries, std::size_t first, std::size_t last) {
    double w = -entryGap;
    for (std::size_t k = first; k < last; ++k) w += entryGap + entryWidth(entries[k]);
    return w;
}

// The swatch of an entry, in the box from x (width swatchWidth) centred on y.
void writeSwatch(std::ostream& out, const LegendEntry& e, double x, double y) {
    auto line = [&](const char* dash) {
        out << "<line x1=\"" << num(x) << "\" y1=\"" << num(y) << "\" x2=\"" << num(x + swatchWidth)
            << "\" y2=\"" << num(y) << "\" stroke=\"" << e.colour << "\" stroke-width=\"1.5\"" << dash
            << "/>\n";
    };
    auto dot = [&](double cx) {
        out << "<circle class=\"swatch\" cx=\"" << num(cx) << "\" cy=\"" << num(y) << "\" r=\"4.5\" fill=\""
            << e.colour << "\" stroke=\"white\" stroke-width=\"0.9\"/>\n";
    };
    switch (e.swatch) {
        case LegendEntry::Marker:
            dot(x + swatchWidth / 2);
            break;
        case LegendEntry::MarkerOnLine:
            line("");
            dot(x + swatchWidth / 2);
            break;
        case LegendEntry::Line:
            line("");
            break;
        case LegendEntry::DashedLine:
            line(" stroke-dasharray=\"6 4\"");
            break;
        case LegendEntry::Pair:
            line(" stroke-dasharray=\"4 3\"");
            dot(x + 5);
            dot(x + swatchWidth - 5);
            break;
        case LegendEntry::Ring:
            out << "<circle class=\"swatch\" cx=\"" << num(x + swatchWidth / 2) << "\" cy=\"" << num(y)
                << "\" r=\"8\" fill=\"none\" stroke=\"" << e.colour << "\" stroke-dasharray=\"3 2\"/>\n";
            break;
        case LegendEntry::None:
            break;
    }
}

}  // namespace

Rows legendRows(const std::vector<LegendEntry>& entries, double room) {
    Rows rows;
    double x = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const double w = entryWidth(entries[k]);
        if (rows.empty() || x + entryGap + w > room) {
            rows.push_back({k, k});
            x = -entryGap;
        }
        x += entryGap + w;
        rows.back().second = k + 1;
    }
    return rows;
}

// The legend's rows, each centred in the picture's width, from `top` down.
void writeLegend(std::ostream& out, const std::vector<LegendEntry>& entries, const Rows& rows, double width,
                 double top) {
    if (rows.empty()) return;
    out << "<g class=\"legend\">\n";
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto [first, last] = rows[row];
        double x = (width - rowWidth(entries, first, last)) / 2;
        const double y = top + legendRow * (static_cast<double>(row) + 0.5);
        for (std::size_t k = first; k < last; ++k) {
            const LegendEntry& e = entries[k];
            out << "<g class=\"legend-entry\" data-kind=\"" << escaped(e.kind) << "\">\n";
            writeSwatch(out, e, x, y);
            x += swatchRoom(e);
            out << "<text x=\"" << num(x) << "\" y=\"" << num(y)
                << "\" dominant-baseline=\"middle\" font-size=\"" << num(legendSize) << "\">"
                << escaped(e.text) << "</text>\n</g>\n";
            x += textWidth(e.text, legendSize) + entryGap;
        }
    }
    out << "</g>\n";
}

}  // namespace svg
