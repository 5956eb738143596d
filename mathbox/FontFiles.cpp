#include "mathbox/FontFiles.h"

#include "platform/Cp1252.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QString>

#include <array>

namespace {

struct FontFile {
    ProgramFont font;
    const char* path;
};

constexpr FontFile kFiles[] = {
    {ProgramFont::Roman, "/usr/share/texmf/fonts/opentype/public/lm/lmroman10-regular.otf"},
    {ProgramFont::RomanBold, "/usr/share/texmf/fonts/opentype/public/lm/lmroman10-bold.otf"},
    {ProgramFont::RomanItalic, "/usr/share/texmf/fonts/opentype/public/lm/lmroman10-italic.otf"},
    {ProgramFont::Math, "/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf"},
    {ProgramFont::Mono, "/usr/share/texmf/fonts/opentype/public/lm/lmmono10-regular.otf"},
    {ProgramFont::Label, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
};

} // namespace

const char* ProgramFontFile(ProgramFont font) {
    return kFiles[static_cast<int>(font)].path;
}

bool ProgramFontForName(std::string_view name, bool bold, bool italic, ProgramFont& out) {
    if (name == "Tessary Roman") {
        out = bold     ? ProgramFont::RomanBold
              : italic ? ProgramFont::RomanItalic
                       : ProgramFont::Roman;
    } else if (name == "Tessary Math") {
        out = ProgramFont::Math;
    } else if (name == "Courier") {
        out = ProgramFont::Mono;
    } else if (name == "Arial") {
        out = ProgramFont::Label;
    } else {
        return false;
    }
    return true;
}

const QByteArray& ProgramFontData(ProgramFont font) {
    static std::array<QByteArray, std::size(kFiles)> data;
    static std::array<bool, std::size(kFiles)> loaded{};
    const auto i = static_cast<size_t>(font);
    if (!loaded[i]) {
        loaded[i] = true;
        QFile file(QString::fromLatin1(kFiles[i].path));
        if (file.open(QIODevice::ReadOnly)) data[i] = file.readAll();
        if (!data[i].isEmpty()) QFontDatabase::addApplicationFontFromData(data[i]);
    }
    return data[i];
}

QRawFont MakeRawFont(std::string_view name, bool bold, bool italic, int pixelSize) {
    if (pixelSize <= 0) return {};
    ProgramFont font;
    if (ProgramFontForName(name, bold, italic, font)) {
        const QByteArray& bytes = ProgramFontData(font);
        if (bytes.isEmpty()) return {};
        return QRawFont(bytes, pixelSize, QFont::PreferNoHinting);
    }
    QFont chosen(platform::FromCp1252(name.substr(0, kFaceNameLength)));
    chosen.setPixelSize(pixelSize);
    chosen.setBold(bold);
    chosen.setItalic(italic);
    chosen.setHintingPreference(QFont::PreferNoHinting);
    chosen.setKerning(false);
    return QRawFont::fromFont(chosen);
}
