#include "tools/generator_options.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "simulation/configuration_keys.h"
#include "simulation/number_text.h"
#include "simulation/simulation_writer.h"
#include "tools/pericentre_step.h"

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kColourCodes = 14;

/// Option values take spaces and tabs around them and a '+' as the C
/// library takes it; reals are decimal.
constexpr WholeTextRules kWholeValue{.blanks = NumberBlanks::SpaceTab, .plus = PlusSign::CLibrary};
constexpr RealTextRules kRealValue{.blanks = NumberBlanks::SpaceTab, .grammar = RealGrammar::Decimal};

/// A finite decimal number and nothing else.
std::optional<double> ParseReal(std::string_view text) { return ParseFiniteText(text, kRealValue); }

/// A decimal integer in the 32-bit range and nothing else.
std::optional<int32_t> ParseInt32(std::string_view text) { return ParseWholeText(text, kWholeValue); }

std::vector<std::string_view> SplitCommas(std::string_view s) {
    std::vector<std::string_view> items;
    for (;;) {
        const std::size_t comma = s.find(',');
        items.push_back(s.substr(0, comma));
        if (comma == std::string_view::npos) return items;
        s.remove_prefix(comma + 1);
    }
}

std::string Quoted(std::string_view s) {
    std::string quoted(1, '"');
    quoted.append(s);
    quoted.push_back('"');
    return quoted;
}

/// An option and its value as messages show them: "--dt 0", '--dt ""'.
std::string Given(const std::string& option, const std::string& value) {
    return option + " " + (value.empty() || value.find(' ') != std::string::npos ? Quoted(value) : value);
}

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

/// A body as given on the command line; planets become states once the
/// sun's mass is known.
struct BodyRequest {
    std::string option;  // "--planet 1,0.6" for messages
    bool fromElements = false;
    double a = 0.0, e = 0.0, phaseDeg = 0.0;
    /// The position and velocity of a --body; the mass of either.
    BodyState state;
};

class Parser {
public:
    ParsedCommandLine Parse(const std::vector<std::string>& args);

private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }
    /// Reads a comma list of reals into `values`; `shape` names the form in messages.
    bool RealList(const std::string& option, const std::string& text, std::size_t least, std::size_t most,
                  const std::string& shape, std::vector<double>& values);
    bool IntList(const std::string& option, const std::string& text, int32_t low, int32_t high,
                 const std::string& what, std::vector<int32_t>& values);
    bool Real(const std::string& option, const std::string& text, double& value);
    bool Int(const std::string& option, const std::string& text, int32_t& value);

    bool Planet(const std::string& text);
    bool Body(const std::string& text);
    bool Box(const std::string& text);
    bool Option(const std::string& name, const std::string& value);
    bool Finish();
    void DefaultStep();

    GeneratorOptions o_;
    std::vector<BodyRequest> requests_;
    std::optional<std::string> output_;
    std::optional<int32_t> sunSize_;
    std::vector<int32_t> sizes_, colours_;
    std::vector<std::string> names_;
    bool sizesGiven_ = false, coloursGiven_ = false;
    bool dtGiven_ = false, everyGiven_ = false;
    std::string error_;
};

bool Parser::RealList(const std::string& option, const std::string& text, std::size_t least, std::size_t most,
                      const std::string& shape, std::vector<double>& values) {
    const auto items = SplitCommas(text);
    if (items.size() < least || items.size() > most)
        return Fail(Given(option, text) + ": expected " + shape + ", " +
                    Count(items.size(), "value", "values") + " given");
    values.clear();
    for (const std::string_view item : items) {
        const auto v = ParseReal(item);
        if (!v) return Fail(Given(option, text) + ": " + Quoted(item) + " is not a finite number");
        values.push_back(*v);
    }
    return true;
}

bool Parser::IntList(const std::string& option, const std::string& text, int32_t low, int32_t high,
                     const std::string& what, std::vector<int32_t>& values) {
    values.clear();
    for (const std::string_view item : SplitCommas(text)) {
        const auto v = ParseInt32(item);
        if (!v || *v < low || *v > high)
            return Fail(Given(option, text) + ": " + Quoted(item) + " is not " + what);
        values.push_back(*v);
    }
    return true;
}

bool Parser::Real(const std::string& option, const std::string& text, double& value) {
    const auto v = ParseReal(text);
    if (!v) return Fail(Given(option, text) + ": not a finite number");
    value = *v;
    return true;
}

bool Parser::Int(const std::string& option, const std::string& text, int32_t& value) {
    const auto v = ParseInt32(text);
    if (!v) return Fail(Given(option, text) + ": not a whole number in the 32-bit range");
    value = *v;
    return true;
}

bool Parser::Planet(const std::string& text) {
    const std::string option = "--planet";
    std::vector<double> v;
    if (!RealList(option, text, 2, 4, "A,E or A,E,PHASE_DEG or A,E,PHASE_DEG,MASS", v)) return false;
    BodyRequest request{.option = Given(option, text),
                        .fromElements = true,
                        .a = v[0],
                        .e = v[1],
                        .phaseDeg = v.size() > 2 ? v[2] : 0.0,
                        .state = {.mass = v.size() > 3 ? v[3] : 0.0}};
    if (!(request.a > 0.0)) return Fail(request.option + ": the semi-major axis A must be above 0");
    if (!(request.e >= 0.0 && request.e < 1.0))
        return Fail(request.option + ": the eccentricity E must be at least 0 and below 1 (an ellipse)");
    if (request.state.mass < 0.0) return Fail(request.option + ": the mass must not be negative");
    // The perihelion distance and the speed there must be representable.
    if (!(request.a * (1.0 - request.e) > 0.0) || !std::isfinite(request.a * request.a * request.a))
        return Fail(request.option + ": the orbit's size is out of range");
    requests_.push_back(request);
    return true;
}

bool Parser::Body(const std::string& text) {
    const std::string option = "--body";
    std::vector<double> v;
    if (!RealList(option, text, 4, 5, "X,Y,VX,VY or X,Y,VX,VY,MASS", v)) return false;
    BodyRequest request{.option = Given(option, text),
                        .state = {v[0], v[1], v[2], v[3], v.size() > 4 ? v[4] : 0.0}};
    if (request.state.mass < 0.0) return Fail(request.option + ": the mass must not be negative");
    requests_.push_back(request);
    return true;
}

bool Parser::Box(const std::string& text) {
    std::vector<double> v;
    if (!RealList("--box", text, 4, 4, "XMIN,YMIN,XMAX,YMAX", v)) return false;
    if (!(v[0] < v[2]) || !(v[1] < v[3]))
        return Fail(Given("--box", text) + ": XMIN must be below XMAX and YMIN below YMAX");
    o_.box = std::array<double, 4>{v[0], v[1], v[2], v[3]};
    return true;
}

bool Parser::Option(const std::string& name, const std::string& value) {
    if (name == "--planet") return Planet(value);
    if (name == "--body") return Body(value);
    if (name == "--box") return Box(value);
    if (name == "--sun-mass") {
        if (!Real(name, value, o_.sunMass)) return false;
        if (o_.sunMass < 0.0) return Fail(Given(name, value) + ": the sun's mass must not be negative");
        return true;
    }
    if (name == "--dt") {
        dtGiven_ = true;
        if (!Real(name, value, o_.dt)) return false;
        if (!(o_.dt > 0.0)) return Fail(Given(name, value) + ": the time step must be above 0");
        return true;
    }
    if (name == "--rows") {
        if (!Int(name, value, o_.rows)) return false;
        if (o_.rows < 2) return Fail(Given(name, value) + ": at least 2 rows are needed");
        return true;
    }
    if (name == "--every") {
        everyGiven_ = true;
        if (!Int(name, value, o_.every)) return false;
        if (o_.every < 1) return Fail(Given(name, value) + ": at least 1 step per row is needed");
        return true;
    }
    if (name == "--sizes") {
        sizesGiven_ = true;
        return IntList(name, value, 0, kInt32Max, "a radius in pixels (a whole number, 0 or more)", sizes_);
    }
    if (name == "--colours" || name == "--colors") {
        coloursGiven_ = true;
        return IntList(name, value, 0, kColourCodes - 1, "a colour code from 0 to 13", colours_);
    }
    if (name == "--names") {
        names_.clear();
        for (std::size_t start = 0;;) {
            const std::size_t comma = value.find(',', start);
            names_.push_back(
                value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        for (const std::string& word : names_)
            if (word.empty() || word.find_first_of(" \t\r\n") != std::string::npos)
                return Fail(Given(name, value) + ": each name is one word without blanks");
        return true;
    }
    for (auto [option, field] : {std::pair{"--time-unit", &o_.timeUnit},
                                 std::pair{"--length-unit", &o_.lengthUnit}, std::pair{"--title", &o_.title}})
        if (name == option) {
            if (value.find_first_of("\r\n") != std::string::npos)
                return Fail(Given(name, value) + ": one line of text is needed");
            *field = value;
            return true;
        }
    if (name == "--delay") {
        if (!Int(name, value, o_.delayMs)) return false;
        if (o_.delayMs < 0) return Fail(Given(name, value) + ": the delay must not be negative");
        return true;
    }
    if (name == "--step") {
        if (!Int(name, value, o_.step)) return false;
        if (o_.step < 1) return Fail(Given(name, value) + ": the step must be at least 1");
        return true;
    }
    if (name == "--trail") {
        int32_t trail = 0;
        if (!Int(name, value, trail)) return false;
        if (trail < 0) return Fail(Given(name, value) + ": the trail length must not be negative");
        o_.trail = trail;
        return true;
    }
    if (name == "--sun") {
        int32_t size = 0;
        if (!Int(name, value, size)) return false;
        if (size < 0) return Fail(Given(name, value) + ": the sun's size must not be negative");
        sunSize_ = size;
        return true;
    }
    return Fail("unknown option " + name + " (see orbivex-gen --help)");  // not reached: TakesValue
}

bool IsFlagOrOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

bool IsFlag(const std::string& name) {
    return name == "--mutual" || name == "--allow-drift" || name == "--help" || name == "-h" ||
           name == "--version";
}

bool TakesValue(const std::string& name) {
    static const char* const kNames[] = {"--planet",    "--body",        "--sun-mass", "--dt",     "--rows",
                                         "--every",     "--sizes",       "--colours",  "--colors", "--box",
                                         "--delay",     "--step",        "--trail",    "--sun",    "--names",
                                         "--time-unit", "--length-unit", "--title"};
    for (const char* known : kNames)
        if (name == known) return true;
    return false;
}

std::string BareName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Parser::Finish() {
    if (!output_)
        return Fail("no output file given: orbivex-gen [options] OUTPUT.ovx (see orbivex-gen --help)");
    const std::string& out = *output_;
    const std::string bare = BareName(out);
    if (bare.size() < 4 || bare.compare(bare.size() - 4, 4, ".ovx") != 0)
        return Fail("the output file " + Quoted(out) + " must end in .ovx");
    if (bare.size() == 4) return Fail("the output file " + Quoted(out) + " needs a name before .ovx");
    for (const char c : bare)
        if (c == ' ' || (c >= '\t' && c <= '\r'))
            return Fail("the output file name " + Quoted(bare) +
                        " must not contain white space: the viewer reads the data file's name as one word");
    o_.outputPath = out;

    if (requests_.empty())
        return Fail("no bodies: give at least one --planet or --body (see orbivex-gen --help)");
    if (requests_.size() > std::size_t(kMaxBodies))
        return Fail(std::to_string(requests_.size()) + " bodies given, at most " +
                    std::to_string(kMaxBodies) + " are allowed");
    const std::size_t n = requests_.size();

    if (int64_t(o_.rows) * int64_t(o_.every) > int64_t(kInt32Max))
        return Fail("--rows " + std::to_string(o_.rows) + " times --every " + std::to_string(o_.every) +
                    " is more steps than fit in 32 bits");
    if (o_.step > o_.rows)
        return Fail("--step " + std::to_string(o_.step) + " is more than the " + std::to_string(o_.rows) +
                    " rows");
    // The viewer plays only while a whole trail and one more row lie ahead.
    if (o_.trail && *o_.trail > o_.rows - 2)
        return Fail("--trail " + std::to_string(*o_.trail) + " leaves nothing to play: with " +
                    std::to_string(o_.rows) + " rows it can be at most " + std::to_string(o_.rows - 2));
    if (!std::isfinite(double(o_.rows) * double(o_.every) * o_.dt))
        return Fail("--dt " + FormatReal(o_.dt) + ": the times would grow beyond the largest number");

    if (sizesGiven_ && sizes_.size() != n)
        return Fail("--sizes gives " + Count(sizes_.size(), "size", "sizes") + " for " +
                    Count(n, "body", "bodies"));
    if (coloursGiven_ && colours_.size() != n)
        return Fail("--colours gives " + Count(colours_.size(), "colour code", "colour codes") + " for " +
                    Count(n, "body", "bodies"));
    if (!names_.empty() && names_.size() != n)
        return Fail("--names gives " + Count(names_.size(), "name", "names") + " for " +
                    Count(n, "body", "bodies"));
    o_.names = names_;
    o_.sizes = sizesGiven_ ? sizes_ : std::vector<int32_t>(n, 3);
    o_.colours.clear();
    for (std::size_t k = 0; k < n; ++k)
        o_.colours.push_back(coloursGiven_ ? colours_[k] : DefaultColourCode(k));
    o_.sunSize = sunSize_ ? *sunSize_ : (o_.sunMass > 0.0 ? 6 : 0);

    o_.bodies.clear();
    for (std::size_t k = 0; k < n; ++k) {
        const BodyRequest& request = requests_[k];
        if (request.fromElements) {
            if (o_.sunMass == 0.0)
                return Fail(request.option +
                            ": a planet needs a sun to orbit, and --sun-mass is 0 (use --body)");
            BodyState state = StateFromElements(request.a, request.e, request.phaseDeg, o_.sunMass);
            state.mass = request.state.mass;
            if (!std::isfinite(state.x) || !std::isfinite(state.y) || !std::isfinite(state.vx) ||
                !std::isfinite(state.vy))
                return Fail(request.option + ": the orbit's size is out of range");
            o_.bodies.push_back(state);
        } else {
            const BodyState& b = request.state;
            if (o_.sunMass > 0.0 && b.x == 0.0 && b.y == 0.0)
                return Fail(request.option + ": the body starts on the sun (use --sun-mass 0 for no sun)");
            // Without angular momentum about the sun, and no other body to
            // pull it aside, a body that is not escaping falls into the sun.
            const bool radial = b.x * b.vy - b.y * b.vx == 0.0;
            const bool escaping = b.x * b.vx + b.y * b.vy > 0.0 &&
                                  0.5 * (b.vx * b.vx + b.vy * b.vy) >= o_.sunMass / std::hypot(b.x, b.y);
            bool pulledAside = false;
            for (std::size_t j = 0; j < n; ++j)
                pulledAside = pulledAside || (o_.mutual && j != k && requests_[j].state.mass > 0.0);
            if (o_.sunMass > 0.0 && radial && !escaping && !pulledAside)
                return Fail(request.option +
                            ": the body falls straight into the sun (it has no angular momentum about it)");
            o_.bodies.push_back(request.state);
        }
    }
    if (o_.mutual)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j) {
                const BodyState& p = o_.bodies[i];
                const BodyState& q = o_.bodies[j];
                if (p.x == q.x && p.y == q.y && (p.mass > 0.0 || q.mass > 0.0))
                    return Fail("bodies " + std::to_string(i + 1) + " and " + std::to_string(j + 1) +
                                " start at the same point and attract each other (--mutual)");
            }
    if (!dtGiven_) DefaultStep();
    return true;
}

void Parser::DefaultStep() {
    const double followed = PericentreStep(o_.bodies, o_.sunMass, o_.mutual);
    if (!(followed > 0.0) || followed >= o_.dt) return;
    const double rowTime = o_.dt * o_.every;
    o_.dt = followed;
    if (everyGiven_) return;
    // As many steps a row as keep the rows as far apart in time as before,
    // within the 32-bit step count.
    const double wanted = std::ceil(rowTime / followed - 1e-9);
    o_.every = int32_t(std::clamp(wanted, 1.0, double(kInt32Max / o_.rows)));
}

ParsedCommandLine Parser::Parse(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    auto failed = [&] {
        result.kind = ParsedCommandLine::Kind::Error;
        result.error = error_;
        return result;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsFlagOrOption(arg)) {
            if (output_) {
                error_ = "more than one output file given: " + Quoted(*output_) + " and " + Quoted(arg);
                return failed();
            }
            output_ = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            result.kind = ParsedCommandLine::Kind::Help;
            return result;
        }
        if (arg == "--version") {
            result.kind = ParsedCommandLine::Kind::Version;
            return result;
        }
        if (arg == "--mutual") {
            o_.mutual = true;
            continue;
        }
        if (arg == "--allow-drift") {
            o_.allowDrift = true;
            continue;
        }
        std::string name = arg, value;
        const std::size_t equals = arg.find('=');
        const bool inlineValue = arg.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inlineValue) name = arg.substr(0, equals);
        if (!TakesValue(name)) {
            error_ = IsFlag(name) ? name + " takes no value"
                                  : "unknown option " + name + " (see orbivex-gen --help)";
            return failed();
        }
        if (inlineValue) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error_ = name + " needs a value (see orbivex-gen --help)";
            return failed();
        }
        if (!Option(name, value)) return failed();
    }
    if (!Finish()) return failed();
    result.kind = ParsedCommandLine::Kind::Run;
    result.options = o_;
    return result;
}

}  // namespace

ParsedCommandLine ParseGeneratorOptions(const std::vector<std::string>& args) { return Parser().Parse(args); }

int32_t DefaultColourCode(std::size_t index) {
    // Red, dark blue, dark green, purple, orange, brown, blue, dark red,
    // green, olive: not black (0), the yellows (6, 9) or grey (7).
    static constexpr int32_t kCodes[] = {10, 5, 4, 13, 8, 1, 12, 3, 11, 2};
    return kCodes[index % std::size(kCodes)];
}

std::string GeneratorUsage() {
    return R"(Usage: orbivex-gen [options] OUTPUT.ovx
       orbivex-gen --help | --version

Integrates bodies about a sun fixed at the origin and writes OUTPUT.ovx, the
configuration, and OUTPUT.dat beside it, the data, both as Orbivex reads them.
The integrator is Yoshida's fourth-order symplectic composition of the
kick-drift-kick leapfrog with a fixed time step.

Bodies (1 to )" +
           std::to_string(kMaxBodies) +
           R"( in all, in the order given, repeatable and mixable):
  --planet A,E[,PHASE_DEG[,MASS]]
                            a body on the ellipse of semi-major axis A > 0 and
                            eccentricity 0 <= E < 1 about the sun, perihelion
                            on +x, moving counter-clockwise, starting PHASE_DEG
                            degrees past perihelion (true anomaly, default 0),
                            with mass MASS (default 0; it counts only with
                            --mutual)
  --body X,Y,VX,VY[,MASS]   a body at (X, Y) with velocity (VX, VY) and mass
                            MASS (default 0; it counts only with --mutual)

Forces:
  --sun-mass M   the sun's gravitational parameter GM (default 1); 0 removes
                 the sun (then --planet is not allowed and the sun is not drawn)
  --mutual       the bodies attract each other too, with G = 1

Integration and output:
  --dt DT        time step (default 0.001, or shorter when a body's closest
                 approach needs it to keep the energy to 1e-8 of itself)
  --rows N       rows written, the first at t = 0 (default 2000, at least 2)
  --every K      integration steps per row (default 10, or more when the
                 default step is shorter, so that rows stay about 0.01
                 apart); N x K must fit in 32 bits
  --allow-drift  write the files even when the energy drifts by more than
                 a millionth of its size (then only a warning)

Configuration (what the viewer shows):
  --sizes R1,R2,...    body radii in pixels, one per body (default 3 each)
  --colours C1,C2,...  colour codes 0 to 13, one per body (default a distinct
                       colour per body: 10,5,4,13,8,1,12,3,11,2, repeating)
  --box XMIN,YMIN,XMAX,YMAX
                       plot box (default: a square about the origin holding
                       every position written, with a 10 % margin)
  --delay MS           delay between frames in milliseconds (default 20)
  --step S             rows advanced per frame (default 1, at most N)
  --trail P            points per orbit: trail length in rows (default about
                       one orbit of the slowest body, 1 to 10000, at most N - 2)
  --sun PIXELS         sun radius in pixels (default 6; 0 when --sun-mass is 0)
  --names N1,N2,...    one name per body (one word each): the framed plot's legend
  --time-unit U        unit of the time, shown after it (e.g. yr)
  --length-unit U      unit of the positions, shown under the plot (e.g. AU)
  --title TEXT         the plot's title (default "N planet simulation")

  --help         show this help
  --version      show the version

Options may also be written --option=VALUE; "--" ends the options.

Examples:
  orbivex-gen --planet 1,0.6 kepler.ovx
      one planet on an ellipse of eccentricity 0.6 about the sun
  orbivex-gen --planet 1,0 --planet 1.6,0.2,90 --colours 12,10 two.ovx
      two planets, the outer one starting a quarter turn past perihelion
  orbivex-gen --sun-mass 0 --mutual --dt 0.0005 --every 20 --rows 1000 \
      --body 0.97000436,-0.24308753,0.466203685,0.43236573,1 \
      --body -0.97000436,0.24308753,0.466203685,0.43236573,1 \
      --body 0,0,-0.93240737,-0.86473146,1 eight.ovx
      three equal masses on the figure-eight choreography, no sun

Exit status: 0 when both files were written, 1 when they could not be
written, 2 for bad options or orbits that cannot be computed, 3 when the
energy drifted by more than a millionth of its size (the message names the
body and a step to use; --allow-drift writes the files anyway); a run that
fails or is interrupted leaves the folder as it was.
)";
}
