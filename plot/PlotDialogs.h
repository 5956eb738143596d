#pragma once

// The "Plot Parameters" dialogs: the variables and ranges of a 2-D plot's two axes, or of a 3-D
// plot's three. The plot fills one from its settings, runs it and takes the values back on OK.
// Each edit box carries its control id as its object name ("1000", ...). A range end that is
// not a finite number is refused: the dialog says so and stays open. Ends are shown and read
// without regard to the locale; a minimum above its maximum and an empty name are accepted.

#include "document/Str255.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QLineEdit;

// A finite number from an edit box's text (blanks around it allowed), or nothing.
std::optional<double> ParseRangeEnd(std::string_view text);
// The text an edit box shows for a range end: up to 15 significant digits.
std::string FormatRangeEnd(double value);

// One axis of a dialog: its group caption, the labels of its three boxes and their ids.
struct AxisControls {
    const char* caption;
    const char* minLabel;
    const char* maxLabel;
    std::array<int32_t, 3> ids; // variable, minimum, maximum
};

struct AxisValues {
    Str31 name;
    double min = -1.0;
    double max = 1.0;
};

class PlotParamsDialog : public QDialog {
public:
    // Shows the dialog modally; true when the user confirmed with valid values.
    bool Run();
    AxisValues GetAxis(int32_t axis) const;
    int32_t AxisCount() const { return static_cast<int32_t>(m_boxes.size()); }
    // Closes the dialog as confirmed, unless a range end is no finite number.
    void accept() override;

protected:
    PlotParamsDialog(std::span<const AxisControls> axes, std::span<const AxisValues> values,
                     bool picture, QWidget* parent);

private:
    struct Boxes {
        QLineEdit* name;
        QLineEdit* min;
        QLineEdit* max;
    };
    std::vector<Boxes> m_boxes;
};

class PlotParams2DDialog final : public PlotParamsDialog {
public:
    struct Values {
        Str31 xName;
        double xMin, xMax;
        Str31 yName;
        double yMin, yMax;
    };

    PlotParams2DDialog(const Str31& xName, double xMin, double xMax, const Str31& yName,
                       double yMin, double yMax, QWidget* parent);
    Values GetValues() const;
};

class PlotParams3DDialog final : public PlotParamsDialog {
public:
    PlotParams3DDialog(const std::array<AxisValues, 3>& axes, QWidget* parent);
    std::array<AxisValues, 3> GetValues() const;
};
