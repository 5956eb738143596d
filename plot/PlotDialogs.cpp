#include "plot/PlotDialogs.h"

#include "platform/Cp1252.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>

using platform::FromCp1252;
using platform::ToCp1252;

namespace {

constexpr const char* kTitle = "Plot Parameters";
constexpr const char* kNotANumber = "Please enter a number.";

constexpr std::array<AxisControls, 2> kAxes2D{{
    {"Horizontal Axis", "Left End:", "Right End:", {1000, 1001, 1056}},
    {"Vertical Axis", "Lower End:", "Upper End:", {1057, 1058, 1059}},
}};

constexpr std::array<AxisControls, 3> kAxes3D{{
    {"Axis One", "Minimum:", "Maximum:", {1000, 1001, 1056}},
    {"Axis Two", "Minimum:", "Maximum:", {1057, 1058, 1059}},
    {"Axis Three", "Minimum:", "Maximum:", {1060, 1061, 1062}},
}};

QLineEdit* Box(int32_t id, const QString& text, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::number(id));
    return box;
}

// The 3-D dialog's picture: three axes from a corner, as the plot draws its box.
QPixmap AxesPicture() {
    QPixmap pixmap(96, 96);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    const QPointF corner(40, 62);
    const std::array<std::pair<QPointF, const char*>, 3> axes{
        {{QPointF(88, 78), "1"}, {QPointF(12, 84), "2"}, {QPointF(40, 10), "3"}}};
    for (const auto& [end, name] : axes) {
        painter.drawLine(corner, end);
        painter.drawText(end + QPointF(-4, end.y() < corner.y() ? -2 : 12), name);
    }
    return pixmap;
}

} // namespace

std::optional<double> ParseRangeEnd(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    // "inf" and "nan" parse, but no axis can end there.
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::string FormatRangeEnd(double value) {
    char text[40];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return std::string(text, result.ptr);
}

PlotParamsDialog::PlotParamsDialog(std::span<const AxisControls> axes,
                                   std::span<const AxisValues> values, bool picture,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(kTitle);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout();
    layout->addLayout(groups);
    for (size_t i = 0; i < axes.size(); ++i) {
        const AxisControls& axis = axes[i];
        const AxisValues& value = values[i];
        auto* group = new QGroupBox(axis.caption, this);
        auto* form = new QFormLayout(group);
        Boxes boxes{Box(axis.ids[0], FromCp1252(value.name.View()), group),
                    Box(axis.ids[1], QString::fromStdString(FormatRangeEnd(value.min)), group),
                    Box(axis.ids[2], QString::fromStdString(FormatRangeEnd(value.max)), group)};
        boxes.name->setMaxLength(Str31::kCapacity);
        form->addRow("Variable:", boxes.name);
        form->addRow(axis.minLabel, boxes.min);
        form->addRow(axis.maxLabel, boxes.max);
        groups->addWidget(group);
        m_boxes.push_back(boxes);
    }
    if (picture) {
        auto* label = new QLabel(this);
        label->setPixmap(AxesPicture());
        groups->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool PlotParamsDialog::Run() {
    return exec() == QDialog::Accepted;
}

void PlotParamsDialog::accept() {
    for (const Boxes& boxes : m_boxes) {
        for (QLineEdit* box : {boxes.min, boxes.max}) {
            if (!ParseRangeEnd(ToCp1252(box->text()))) {
                QMessageBox::warning(this, kTitle, kNotANumber);
                box->setFocus();
                box->selectAll();
                return;
            }
        }
    }
    QDialog::accept();
}

AxisValues PlotParamsDialog::GetAxis(int32_t axis) const {
    const Boxes& boxes = m_boxes.at(static_cast<size_t>(axis));
    AxisValues values;
    values.name = Str31(ToCp1252(boxes.name->text()));
    values.min = ParseRangeEnd(ToCp1252(boxes.min->text())).value_or(0.0);
    values.max = ParseRangeEnd(ToCp1252(boxes.max->text())).value_or(0.0);
    return values;
}

PlotParams2DDialog::PlotParams2DDialog(const Str31& xName, double xMin, double xMax,
                                       const Str31& yName, double yMin, double yMax,
                                       QWidget* parent)
    : PlotParamsDialog(
          kAxes2D,
          std::array<AxisValues, 2>{AxisValues{xName, xMin, xMax}, AxisValues{yName, yMin, yMax}},
          false, parent) {}

PlotParams2DDialog::Values PlotParams2DDialog::GetValues() const {
    const AxisValues x = GetAxis(0);
    const AxisValues y = GetAxis(1);
    return Values{x.name, x.min, x.max, y.name, y.min, y.max};
}

PlotParams3DDialog::PlotParams3DDialog(const std::array<AxisValues, 3>& axes, QWidget* parent)
    : PlotParamsDialog(kAxes3D, axes, true, parent) {}

std::array<AxisValues, 3> PlotParams3DDialog::GetValues() const {
    return {GetAxis(0), GetAxis(1), GetAxis(2)};
}
