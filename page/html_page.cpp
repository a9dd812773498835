#include "page/html_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "base/parallel_for.h"
#include "base/web_text.h"
#include "page/packed_positions.h"
#include "plot/axis_ticks.h"
#include "plot/plot_box.h"
#include "publication/publication_paint.h"
#include "simulation/depth_table.h"

/// The player: the page's markup, style and script, with the places the
/// view and the data go in (html_player.html, built in).
extern const char kHtmlPlayer[];

namespace {

/// Writes a JSON object's members in turn.
class JsonObject {
public:
    JsonObject& text(std::string_view name, std::string_view value) { return raw(name, JsonString(value)); }
    JsonObject& number(std::string_view name, double value) { return raw(name, JsonNumber(value)); }
    JsonObject& flag(std::string_view name, bool value) { return raw(name, value ? "true" : "false"); }
    JsonObject& raw(std::string_view name, std::string_view json) {
        out_ += out_.empty() ? "{" : ",";
        out_ += JsonString(name);
        out_ += ':';
        out_ += json;
        return *this;
    }
    std::string done() const { return out_.empty() ? "{}" : out_ + "}"; }

private:
    std::string out_;
};

std::string Rect(const ViewRect& r) {
    return "[" + JsonNumber(r.left) + "," + JsonNumber(r.top) + "," + JsonNumber(r.right) + "," +
           JsonNumber(r.bottom) + "]";
}

std::string CssColour(ColourRef c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
    return text;
}

template <typename T, typename F>
std::string List(const std::vector<T>& values, F json) {
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) out += (i ? "," : "") + json(values[i]);
    return out + "]";
}

std::string Ticks(const AxisTicks& ticks) {
    return "{\"values\":" + List(ticks.values, [](double v) { return JsonNumber(v); }) +
           ",\"decimals\":" + std::to_string(ticks.decimals) + "}";
}

/// A turned view's triad and scale bar as the paint lays them out; the
/// page turns the triad's arms itself.
std::string Marks(const TurnedMarks& k) {
    return JsonObject()
        .raw("centre", "[" + JsonNumber(k.centre.x) + "," + JsonNumber(k.centre.y) + "]")
        .number("arm", k.arm)
        .number("labelReach", k.labelReach)
        .number("width", k.width)
        .number("labelSize", k.labelSize)
        .number("barLength", k.barLength)
        .number("barRight", k.barRight)
        .number("barY", k.barY)
        .number("tick", k.tick)
        .text("barText", k.barText)
        .done();
}

/// For a view in space (data with z, or a turned camera): each body's z in
/// the frame, and the sun's when it moves, as pairs (z, 0) for the packer,
/// packed over their own extent; the view's plane and turn, which the page
/// projects with and turns. Without z, z is 0.
struct SpaceData {
    bool shown = false;
    std::vector<std::vector<double>> pairs;
    PackedPositions packed;
    std::string json = "null";
};

SpaceData SpaceOf(const SimulationState& s, const double* times, int32_t rows, bool sunMoves) {
    SpaceData d;
    const Run& run = s.first();
    d.shown = run.projectedShown() || run.framedDepth();
    if (!d.shown) return d;
    const DepthTable* depth = run.framedDepth();
    std::vector<PositionTrack> tracks;
    if (depth) {
        const int bodies = s.loaded().usableBodies();
        for (int body = 1; body <= bodies + (sunMoves ? 1 : 0); ++body) {
            std::vector<double>& pair = d.pairs.emplace_back(std::size_t(2 * int64_t(rows)), 0.0);
            for (int32_t r = 0; r < rows; ++r)
                pair[std::size_t(2 * r)] =
                    body <= bodies ? depth->at(body, r) : run.inFrame.sunZ[std::size_t(r)];
            tracks.push_back({pair.data(), 2});
        }
        d.packed = PackPositions(times, rows, tracks);
    }
    std::string plane = "[";
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            plane += (i + j ? "," : "") + JsonNumber(s.view.planeAxes.m[i][j]);
    const CameraTurn& t = s.view.turn;
    const std::size_t zParts = d.packed.parts.empty() ? 0 : d.packed.parts.size() - 1;  // less the times
    d.json = "{\"zParts\":" + std::to_string(zParts) + ",\"zExtent\":[" + JsonNumber(d.packed.xMin) + "," +
             JsonNumber(d.packed.xMax) + "],\"plane\":" + plane + "],\"turn\":[" + JsonNumber(t.azimuth) +
             "," + JsonNumber(t.elevation) + "," + JsonNumber(t.roll) + "]}";
    return d;
}

/// The page's positions: the times, each body's track and the moving
/// sun's, then in space (into `space`) their z. In space the page gets the
/// positions in the frame and projects them itself, as it turns; else the
/// picture's own.
PackedPositions PackPageTracks(const SimulationState& s, int32_t rows, SpaceData& space) {
    std::vector<double> times(static_cast<std::size_t>(rows));
    for (int32_t r = 0; r < rows; ++r) times[std::size_t(r)] = s.loaded().rows->time(r);
    const bool sunMoves = s.sunMoves();
    space = SpaceOf(s, times.data(), rows, sunMoves);
    if (!space.packed.problem.empty()) {
        PackedPositions failed;
        failed.problem = space.packed.problem;
        return failed;
    }
    const TrajectoryTable& shown = space.shown ? *s.first().framedRows() : *s.shownRows();
    std::vector<PositionTrack> tracks;
    for (int body = 1; body <= s.loaded().usableBodies(); ++body) tracks.push_back({shown.track(body, 0), 2});
    if (sunMoves) tracks.push_back({(space.shown ? s.first().inFrame.sun : s.first().sunTrack()).data(), 2});
    PackedPositions packed = PackPositions(times.data(), rows, tracks);
    // The z parts after the tracks' (without their times).
    for (std::size_t k = 1; k < space.packed.parts.size() && packed.problem.empty(); ++k)
        packed.parts.push_back(space.packed.parts[k]);
    return packed;
}

/// The page's size and what it shows of the bodies: names, colours, discs
/// and the extent their packed positions span.
void PutBodies(JsonObject& view, const SimulationState& s, const PublicationLayout& layout,
               const PackedPositions& packed, const SpaceData& space, int width, int height, int32_t rows) {
    const int bodies = s.loaded().usableBodies();
    std::vector<std::string> names(static_cast<std::size_t>(bodies));
    for (int k = 0; k < bodies && k < int(s.loaded().fields.bodyNames.size()); ++k)
        names[std::size_t(k)] = s.loaded().fields.bodyNames[std::size_t(k)];
    std::vector<ColourRef> colours;
    for (int body = 1; body <= bodies; ++body) colours.push_back(s.loaded().bodyColour[std::size_t(body)]);
    view.number("width", width)
        .number("height", height)
        .number("rows", rows)
        .number("bodies", bodies)
        .flag("sunMoves", s.sunMoves())
        .raw("space", space.json)
        .raw("names", List(names, [](const std::string& n) { return JsonString(n); }))
        .raw("colours", List(colours, [](ColourRef c) { return JsonString(CssColour(c)); }))
        .raw("discRadius", List(layout.discRadius, [](double r) { return JsonNumber(r); }))
        .number("sunRadius", layout.sunRadius)
        .number("sunOutline", layout.sunOutline)
        .raw("extent", "[" + JsonNumber(packed.xMin) + "," + JsonNumber(packed.xMax) + "," +
                           JsonNumber(packed.yMin) + "," + JsonNumber(packed.yMax) + "]");
}

/// Where the paint put things: the mapping, the box, the ticks, the text's
/// metrics and titles, a turned view's marks.
void PutGeometry(JsonObject& view, const SimulationState& s, const PlotBox& plot,
                 const PublicationLayout& layout) {
    const auto& f = s.loaded().fields;
    const TextMetrics& m = layout.m;
    view.raw("mapping", "[" + JsonNumber(plot.xScale) + "," + JsonNumber(plot.xOffset) + "," +
                            JsonNumber(plot.yScale) + "," + JsonNumber(plot.yOffset) + "]")
        .raw("world", "[" + JsonNumber(plot.xMin) + "," + JsonNumber(plot.xMax) + "," +
                          JsonNumber(plot.yMin) + "," + JsonNumber(plot.yMax) + "]")
        .raw("box", Rect(layout.box))
        .raw("ticks", s.view.turn.turned()
                          ? "{\"x\":{\"values\":[],\"decimals\":0},\"y\":{\"values\":[],\"decimals\":0}}"
                          : "{\"x\":" + Ticks(ChooseTicks(plot.xMin, plot.xMax)) +
                                ",\"y\":" + Ticks(ChooseTicks(plot.yMin, plot.yMax)) + "}")
        .number("font", m.font)
        .number("lineHeight", m.lineHeight)
        .number("pad", m.pad)
        .number("tick", m.tick)
        .text("title", f.plotTitle)
        .text("xTitle", layout.xTitle)
        .text("yTitle", layout.yTitle)
        .text("timeUnit", f.timeUnit)
        .text("lengthUnit", f.lengthUnit)
        .number("clockDecimals", layout.clockDecimals)
        .raw("marks", Marks(layout.marks));
}

/// The stamp and the legend, what is drawn, and how the page plays.
void PutLook(JsonObject& view, const SimulationState& s, const PublicationLayout& layout, int32_t rows,
             std::size_t parts) {
    const char* modes[] = {"ahead", "behind", "both"};
    const auto& f = s.loaded().fields;
    const double rowsPerSecond = 1000.0 * std::max(s.playback.step, 1) / std::max(s.playback.delayMs, 1);
    view.raw("stamp", layout.stamp.right > layout.stamp.left ? Rect(layout.stamp) : "null")
        .raw("legend", layout.legend.right > layout.legend.left ? Rect(layout.legend) : "null")
        .number("legendDisc", layout.legendDisc)
        .number("legendRow", layout.legendRow)
        .number("legendNamed", layout.legendNamed)
        .number("legendMore", layout.legendMore)
        .flag("grid", s.view.look.grid)
        .flag("axes", f.drawAxes != 0)
        .flag("orbits", f.drawOrbits != 0)
        .flag("planets", f.drawPlanets != 0)
        .number("trailWidth", layout.trailWidth)
        .text("trailMode", modes[static_cast<int>(s.view.trailMode)])
        .number("trailLength", std::max(s.view.trailLength, 0))
        .flag("fade", s.view.fadeTrails)
        .flag("loop", s.view.loopPlayback)
        .number("row", std::clamp(s.playback.position, 0, std::max(rows - 1, 0)))
        .number("rowsPerSecond", rowsPerSecond)
        .number("parts", double(parts));
}

/// Replaces the one `mark` in `page` by `text`.
void Put(std::string& page, std::string_view mark, const std::string& text) {
    const std::size_t at = page.find(mark);
    if (at != std::string::npos) page.replace(at, mark.size(), text);
}

}  // namespace

std::string InteractivePage(const SimulationState& s, PlotBox& plot, const DrawingSurface& surface, int width,
                            int height, const std::function<bool(std::string_view piece)>& write) {
    const PublicationLayout layout = LayOutPublicationView(s, plot, surface, width, height);
    const int32_t rows = std::max(s.loaded().usableRows(), 0);
    SpaceData space;
    const PackedPositions packed = PackPageTracks(s, rows, space);
    if (!packed.problem.empty()) return packed.problem;
    JsonObject view;
    PutBodies(view, s, layout, packed, space, width, height, rows);
    PutGeometry(view, s, plot, layout);
    PutLook(view, s, layout, rows, packed.parts.size());
    // The parts as base64 text, on every processor.
    std::vector<std::string> texts(packed.parts.size());
    ParallelFor(0, int64_t(texts.size()), WorkerCount(uint64_t(texts.size()) * uint64_t(rows), 1 << 16),
                [&](int64_t first, int64_t last) {
                    for (int64_t k = first; k < last; ++k) {
                        const std::string& part = packed.parts[std::size_t(k)];
                        texts[std::size_t(k)] =
                            Base64(reinterpret_cast<const uint8_t*>(part.data()), part.size());
                    }
                });
    std::string page = kHtmlPlayer;
    Put(page, "/*ORBIVEX-VIEW*/{}", view.done());
    constexpr std::string_view kDataMark = "<!--ORBIVEX-DATA-->";
    const std::size_t data = page.find(kDataMark);
    const std::string refused = "the page was not written whole";
    if (data == std::string::npos) return write(page) ? "" : refused;
    if (!write(std::string_view(page).substr(0, data))) return refused;
    for (const std::string& text : texts)
        if (!write("<script type=\"application/octet-stream\" class=\"ovx-part\">") || !write(text) ||
            !write("</script>\n"))
            return refused;
    return write(std::string_view(page).substr(data + kDataMark.size())) ? "" : refused;
}
