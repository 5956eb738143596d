#pragma once

// What the reader of an exported LaTeX file gets: the file typeset by pdflatex, and the glyphs
// gs finds on the pages, with their places, read back as lines of text in which a gap between
// two glyphs reads as a blank (TeX writes no blank characters, only space between glyphs).

#include "export/tests/ExternalTools.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

namespace exporttest {

// A gap narrower than any blank of TeX's text fonts, wider than their kerns.
inline constexpr double kBlankGap = 1.5;

// `file` typeset once in `dir`, stopping at the first error.
inline ToolRun Typeset(const std::string& file, const std::string& dir) {
    return RunTool("pdflatex",
                   {"-interaction=nonstopmode", "-halt-on-error", QString::fromStdString(file)},
                   dir);
}

// A glyph on a page: where it begins and ends along its line (points), its line's baseline, and
// the character gs reads it as (UTF-8).
struct Glyph {
    int page = 0;
    double left = 0;
    double right = 0;
    double baseline = 0;
    std::string text;
};

// Markup text with its character references read: gs's text output, a link's address.
inline std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (end == std::string::npos) {
            out += text[i++];
            continue;
        }
        const std::string entity = text.substr(i + 1, end - i - 1);
        i = end + 1;
        if (entity == "amp")
            out += '&';
        else if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            const auto code = static_cast<char32_t>(
                std::stoul(entity.substr(hex ? 2 : 1), nullptr, hex ? 16 : 10));
            out += QString::fromUcs4(&code, 1).toStdString();
        }
    }
    return out;
}

// The glyphs of the PDF in `dir`, page by page; nothing when gs is missing or fails.
inline std::optional<std::vector<Glyph>> GlyphsOf(const std::string& pdf, const std::string& dir) {
    const ToolRun run = RunTool("gs",
                                {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=txtwrite",
                                 "-dTextFormat=0", "-sOutputFile=-", QString::fromStdString(pdf)},
                                dir);
    if (!run.found || run.exitCode != 0) return std::nullopt;
    static const std::regex kChar(
        "<page>|<char bbox=\"([-0-9.]+) ([-0-9.]+) ([-0-9.]+) [-0-9.]+\" c=\"([^\"]*)\"/>");
    std::vector<Glyph> glyphs;
    int page = 0;
    for (auto it = std::sregex_iterator(run.output.begin(), run.output.end(), kChar);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (!m[1].matched) {
            ++page;
            continue;
        }
        glyphs.push_back({page, std::stod(m[1]), std::stod(m[3]), std::stod(m[2]), Unescape(m[4])});
    }
    return glyphs;
}

// The glyphs of one line, left to right, and the line's text.
struct TypesetLine {
    std::vector<Glyph> glyphs;
    std::string text;
};

// Glyphs grouped into lines by page and baseline, top to bottom (an accent TeX raises over a
// capital stays on its letter's line); a gap of `kBlankGap` or more between a glyph and
// everything before it on the line reads as a blank.
inline std::vector<TypesetLine> LinesOf(std::vector<Glyph> glyphs) {
    constexpr double kSameLine = 4;
    std::stable_sort(glyphs.begin(), glyphs.end(), [](const Glyph& a, const Glyph& b) {
        return std::tie(a.page, a.baseline) < std::tie(b.page, b.baseline);
    });
    std::vector<TypesetLine> lines;
    for (const Glyph& glyph : glyphs) {
        const Glyph* first = lines.empty() ? nullptr : &lines.back().glyphs.front();
        if (first == nullptr || first->page != glyph.page ||
            glyph.baseline - first->baseline >= kSameLine)
            lines.emplace_back();
        lines.back().glyphs.push_back(glyph);
    }
    for (TypesetLine& line : lines) {
        std::stable_sort(line.glyphs.begin(), line.glyphs.end(),
                         [](const Glyph& a, const Glyph& b) { return a.left < b.left; });
        double reach = line.glyphs.front().left;
        for (const Glyph& glyph : line.glyphs) {
            if (glyph.left - reach >= kBlankGap) line.text += ' ';
            reach = std::max(reach, glyph.right);
            line.text += glyph.text;
        }
    }
    return lines;
}

// The pages of the PDF in `dir`, each cut to its ink, side by side in one picture at `path`,
// for a person to look at.
inline void SavePages(const std::string& pdf, const std::string& dir, const std::string& path) {
    RunTool("gs",
            {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pnggray", "-r100",
             "-sOutputFile=page-%d.png", QString::fromStdString(pdf)},
            dir);
    std::vector<QImage> pages;
    int width = 0;
    int height = 0;
    for (int n = 1;; ++n) {
        QImage page(QString::fromStdString(dir + "page-" + std::to_string(n) + ".png"));
        if (page.isNull()) break;
        page = page.convertToFormat(QImage::Format_RGB32);
        QRect ink;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
        pages.push_back(page.copy(ink.adjusted(-10, -10, 10, 10)));
        width += pages.back().width();
        height = std::max(height, pages.back().height());
    }
    if (pages.empty()) return;
    QImage all(width, height, QImage::Format_RGB32);
    all.fill(Qt::white);
    QPainter painter(&all);
    int x = 0;
    for (const QImage& page : pages) {
        painter.drawImage(x, 0, page);
        x += page.width();
    }
    painter.end();
    all.save(QString::fromStdString(path));
}

} // namespace exporttest
