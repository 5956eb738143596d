#include "document/TextFontPrefs.h"

#include "platform/Cp1252.h"

#include <QSettings>

namespace {

constexpr const char* kSection = "Text Prefs";

struct Key {
    const char* name;
    Str255 TextFontPrefs::*field;
};

constexpr Key kKeys[] = {
    {"Text Font", &TextFontPrefs::textFont},
    {"Code Font", &TextFontPrefs::codeFont},
    {"Bold Font", &TextFontPrefs::boldFont},
    {"Italic Font", &TextFontPrefs::italicFont},
};

} // namespace

TextFontPrefs::TextFontPrefs()
    : textFont("Tessary Roman"), codeFont("Courier"), boldFont("Tessary Roman"),
      italicFont("Tessary Roman") {}

void TextFontPrefs::Load(QSettings& profile) {
    profile.beginGroup(kSection);
    for (const Key& key : kKeys) {
        const std::string name = platform::ToCp1252(profile.value(key.name).toString());
        if (!name.empty()) this->*key.field = name;
    }
    profile.endGroup();
}

void TextFontPrefs::Save(QSettings& profile) const {
    profile.beginGroup(kSection);
    for (const Key& key : kKeys)
        profile.setValue(key.name, platform::FromCp1252((this->*key.field).View()));
    profile.endGroup();
}
