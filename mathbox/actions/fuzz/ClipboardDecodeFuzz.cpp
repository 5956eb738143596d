// Feeds damaged private clipboard bytes to the decoder on the real math boxes, links and
// pictures: any input decodes or fails with the stream's exception (never a crash, a hang or an
// overlong allocation), and what decodes encodes to bytes that decode and encode again to the
// same bytes.
//
// Random bytes rarely pass the first record head, so an input is a list of patches over a valid
// encoding made here: each three bytes are an offset (two bytes) and a value written there; a
// last lone byte cuts the encoding short at that fraction. Run it longer by hand with
// -runs=1000000.

#include "document/ClipboardFormat.h"
#include "document/LinkComp.h"
#include "document/MetaPictComp.h"
#include "document/tests/SequenceFakes.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/MathBoxes.h"
#include "mathbox/MatrixBox.h"
#include "platform/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

CompArray Chars(std::string_view text) {
    CompArray chars;
    for (TextComp* c : fakes::Chars(text))
        chars.Add(OwnedComponent(c));
    return chars;
}

struct Environment {
    Environment() {
        CompSequence seq;
        auto one = seqfakes::Para("ab");
        one->GetList(1)->Append(new FracComp(Chars("x"), Chars("y")));
        one->GetList(1)->Append(new LinkComp(Str255("http://x.y"), Str255("see"), true));
        one->GetList(1)->Append(
            new MetaPictComp(PictureBytes{'<', 's', 'v', 'g', '/', '>'}, PictureFrame{30, 40}));
        auto two = seqfakes::Para("", ParaStyle::kNumberedEquation);
        auto* grid = new MatrixBox(2, 2);
        fakes::AppendChars(*grid->GetCell(1, 1), "p");
        two->GetList(1)->Append(grid);
        auto* derivative = new PartialDerivativeBox();
        fakes::AppendChars(derivative->GetDifferentialBox(1)->Variable(), "u");
        fakes::AppendChars(derivative->Function(), "f");
        two->GetList(1)->Append(derivative);
        seq.Append(std::move(one));
        seq.Append(std::move(two));
        sample = clipboard::EncodeParagraphs(seq);
    }

    seqfakes::Services services;
    MathBoxKinds kinds;
    std::vector<uint8_t> sample;
};

std::vector<uint8_t> Patched(const std::vector<uint8_t>& sample, const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes = sample;
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const size_t at = (size_t{data[i]} << 8 | data[i + 1]) % bytes.size();
        bytes[at] = data[i + 2];
    }
    if (i < size) bytes.resize(bytes.size() * data[i] / 256);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Environment environment;
    const std::vector<uint8_t> bytes = Patched(environment.sample, data, size);
    Material decoded;
    try {
        decoded = clipboard::DecodeParagraphs(bytes);
    } catch (const platform::FileException&) {
        return 0;
    }
    if (decoded.IsEmpty()) return 0;
    const std::vector<uint8_t> first = clipboard::EncodeParagraphs(*decoded.sequence);
    const Material again = clipboard::DecodeParagraphs(first);
    if (again.IsEmpty() || clipboard::EncodeParagraphs(*again.sequence) != first) std::abort();
    return 0;
}
