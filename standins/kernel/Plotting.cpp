#include "Plotting.h"

#include <algorithm>
#include <cmath>

namespace standin::plot {

namespace {

struct Range {
    std::string variable;
    double low = -1.0;
    double high = 1.0;
};

std::optional<Range> rangeOf(const Expr& e) {
    if (!e.isCall("List", 3) || !e.args[0].isSymbol() || !e.args[1].isNumber() ||
        !e.args[2].isNumber())
        return std::nullopt;
    Range r{e.args[0].text, e.args[1].real, e.args[2].real};
    if (e.args[1].isInteger()) r.low = static_cast<double>(e.args[1].toInteger());
    if (e.args[2].isInteger()) r.high = static_cast<double>(e.args[2].toInteger());
    if (!(r.low < r.high) || !std::isfinite(r.low) || !std::isfinite(r.high)) return std::nullopt;
    return r;
}

std::vector<double> steps(const Range& r, int count) {
    std::vector<double> out;
    for (int i = 0; i <= count; ++i)
        out.push_back(r.low + (r.high - r.low) * i / count);
    return out;
}

// A function written as y = f(x) plots its right side.
const Expr& plotted(const Expr& f) {
    const Expr* right = nullptr;
    return asEquation(f, nullptr, &right) ? *right : f;
}

Expr point(std::initializer_list<double> coordinates) {
    std::vector<Expr> items;
    for (double c : coordinates)
        items.push_back(Expr::machine(c));
    return Expr::call("List", std::move(items));
}

std::optional<Expr> twoD(const Expr& request, const algebra::Settings& settings) {
    const Expr& functions = request.args[0];
    auto x = rangeOf(request.args[1]);
    auto y = rangeOf(request.args[2]);
    if (!functions.isCall("List") || functions.args.empty() || !x || !y) return std::nullopt;
    const std::vector<double> xs = steps(*x, kSamples);
    std::vector<Expr> perFunction;
    bool anyLine = false;
    for (const Expr& f : functions.args) {
        std::vector<double> values = algebra::sample(plotted(f), x->variable, xs, settings);
        std::vector<Expr> lines;
        std::vector<Expr> run;
        auto endRun = [&] {
            if (run.size() >= 2) lines.push_back(Expr::call("Line", {Expr::call("List", run)}));
            run.clear();
        };
        for (std::size_t i = 0; i < xs.size(); ++i) {
            double v = values[i];
            if (std::isnan(v) || v < y->low || v > y->high) {
                endRun();
                continue;
            }
            run.push_back(point({xs[i], v}));
        }
        endRun();
        anyLine = anyLine || !lines.empty();
        perFunction.push_back(Expr::call("List", std::move(lines)));
    }
    if (!anyLine) return std::nullopt;
    Expr answer = request;
    answer.args.resize(3);
    answer.args.push_back(Expr::call("Graphics", {Expr::call("List", std::move(perFunction))}));
    return answer;
}

std::optional<Expr> threeD(const Expr& request, const algebra::Settings& settings) {
    const Expr& functions = request.args[0];
    auto first = rangeOf(request.args[1]);
    auto second = rangeOf(request.args[2]);
    auto value = rangeOf(request.args[3]);
    if (!functions.isCall("List") || functions.args.empty() || !first || !second || !value)
        return std::nullopt;
    const std::vector<double> xs = steps(*first, kGrid);
    const std::vector<double> ys = steps(*second, kGrid);
    const std::size_t columns = xs.size();
    std::vector<std::vector<double>> grids;
    bool gaps = false;
    bool anyValue = false;
    for (const Expr& f : functions.args) {
        std::vector<double> heights =
            algebra::sampleGrid(plotted(f), first->variable, second->variable, xs, ys, settings);
        for (double& h : heights) {
            if (std::isnan(h)) {
                gaps = true;
                continue;
            }
            anyValue = true;
            h = std::clamp(h, value->low, value->high);
        }
        grids.push_back(std::move(heights));
    }
    if (!anyValue) return std::nullopt;
    Expr graphics;
    if (grids.size() == 1 && !gaps) {
        std::vector<Expr> rows;
        for (std::size_t r = 0; r < ys.size(); ++r) {
            std::vector<Expr> row;
            for (std::size_t c = 0; c < columns; ++c)
                row.push_back(Expr::machine(grids[0][r * columns + c]));
            rows.push_back(Expr::call("List", std::move(row)));
        }
        graphics = Expr::call("SurfaceGraphics", {Expr::call("List", std::move(rows))});
    } else {
        // One mesh of quadrilaterals per function; a cell with a missing corner is left out.
        std::vector<Expr> meshes;
        for (const auto& h : grids) {
            std::vector<Expr> polygons;
            for (std::size_t r = 0; r + 1 < ys.size(); ++r)
                for (std::size_t c = 0; c + 1 < columns; ++c) {
                    const std::size_t corners[4][2] = {
                        {r, c}, {r, c + 1}, {r + 1, c + 1}, {r + 1, c}};
                    std::vector<Expr> points;
                    for (const auto& corner : corners) {
                        double z = h[corner[0] * columns + corner[1]];
                        if (std::isnan(z)) break;
                        points.push_back(point({xs[corner[1]], ys[corner[0]], z}));
                    }
                    if (points.size() == 4)
                        polygons.push_back(
                            Expr::call("Polygon", {Expr::call("List", std::move(points))}));
                }
            meshes.push_back(Expr::call("List", std::move(polygons)));
        }
        graphics = Expr::call("Graphics3D", {Expr::call("List", std::move(meshes))});
    }
    Expr answer = request;
    answer.args.resize(4);
    answer.args.push_back(std::move(graphics));
    return answer;
}

} // namespace

std::optional<Expr> compute(const Expr& request, const algebra::Settings& settings) {
    try {
        if (request.isCall("TYTwoDPlot") && request.args.size() >= 3)
            return twoD(request, settings);
        if (request.isCall("TYThreeDPlot") && request.args.size() >= 4)
            return threeD(request, settings);
    } catch (const algebra::AlgebraError&) {
    }
    return std::nullopt;
}

} // namespace standin::plot
