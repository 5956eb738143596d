#pragma once

// The eight paragraph layout builders, one per style, created at start-up and deleted at exit.
// `LayoutServices` installs the table as the paragraph style table, the Paragraph builder as
// the default builder and the real run factory, for its lifetime.

#include "document/ParaStyle.h"
#include "mathbox/LayoutBuilder.h"
#include "mathbox/LayoutRunFactory.h"
#include "platform/Installed.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>

// The builder of the Paragraph style, published while a table exists.
extern ServiceSlot<LayoutBuilder> gDefaultBuilder;

class LayoutStyleTable final : public ParaStyleTable {
public:
    using MakeBuilder = std::function<std::unique_ptr<LayoutBuilder>(int32_t style)>;

    // The builders of every style.
    LayoutStyleTable();
    // The builders `make` gives, created in the order 3, 1, 6, 0, 4, 2, 5, 7; the Paragraph
    // builder is the default builder from the moment it exists. When a creation fails, every
    // builder made so far is deleted, the default builder is put back as it was, and the
    // failure passes on.
    explicit LayoutStyleTable(const MakeBuilder& make);
    ~LayoutStyleTable() override;

    // The builder of a style; any number outside 0 to 7 gives the Paragraph builder.
    LayoutBuilder& GetBuilder(int32_t style);
    ParaStyle& GetStyle(int32_t style) override { return GetBuilder(style); }

    static std::unique_ptr<LayoutBuilder> MakeStyleBuilder(int32_t style);

private:
    std::array<std::unique_ptr<LayoutBuilder>, 8> m_builders;
    std::optional<Installed<LayoutBuilder>> m_default;
};

class LayoutServices {
public:
    LayoutServices();
    LayoutServices(const LayoutServices&) = delete;
    LayoutServices& operator=(const LayoutServices&) = delete;

    LayoutStyleTable& Styles() { return m_styles; }

private:
    LayoutStyleTable m_styles;
    LayoutRunFactory m_runs;
    Installed<ParaStyleTable> m_stylesInstalled{gParaStyles, &m_styles};
    Installed<RunFactory> m_runsInstalled{gRunFactory, &m_runs};
};
