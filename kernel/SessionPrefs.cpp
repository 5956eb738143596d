#include "kernel/SessionPrefs.h"

#include "platform/Cp1252.h"

#include <QSettings>

namespace kernel {

namespace {

bool ReadFlag(QSettings& profile, const char* key, bool fallback) {
    const QVariant value = profile.value(key);
    if (!value.isValid()) return fallback;
    bool ok = false;
    const int number = value.toInt(&ok);
    if (ok) return number != 0;
    const QString text = value.toString().trimmed().toLower();
    if (text == "true") return true;
    if (text == "false") return false;
    return fallback;
}

void ReadName(QSettings& profile, const char* key, Str31& name) {
    const QVariant value = profile.value(key);
    if (!value.isValid()) return;
    const std::string text = platform::ToCp1252(value.toString());
    if (!text.empty()) name = std::string_view(text);
}

} // namespace

void SessionPrefs::Load(QSettings& profile) {
    *this = SessionPrefs();
    profile.beginGroup(kSection);
    resultsAtEnd = ReadFlag(profile, "Results at end", false);
    showWarnings = ReadFlag(profile, "Show Warnings", false);
    ReadName(profile, "Default Variable", defaultVariable);
    ReadName(profile, "Transform Variable", transformVariable);
    bool ok = false;
    const int value = profile.value("Precision").toInt(&ok);
    if (ok) precision = value;
    profile.endGroup();
}

void SessionPrefs::Save(QSettings& profile) const {
    profile.beginGroup(kSection);
    profile.setValue("Results at end", resultsAtEnd ? 1 : 0);
    profile.setValue("Show Warnings", showWarnings ? 1 : 0);
    profile.setValue("Default Variable", platform::FromCp1252(defaultVariable.View()));
    profile.setValue("Transform Variable", platform::FromCp1252(transformVariable.View()));
    profile.setValue("Precision", precision);
    profile.endGroup();
}

} // namespace kernel
