// Feeds arbitrary bytes to the document stream's reader: as a component list (the first byte
// even) or as a run of plot primitive records (odd). Any input either loads or fails with the
// stream's exception; one that loads must save, load and save again to the same bytes.
//
// ctest runs a short regression pass that starts from the seeds in document/fuzz/corpus
// (documents the model wrote, made by document_stream_corpus). A long run, by hand from the
// build folder, into a working copy of the seeds:
//   cp -r ../../document/fuzz/corpus /tmp/doc-corpus
//   document/document_stream_fuzz /tmp/doc-corpus -runs=1000000 -max_len=8192

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/fuzz/DocStreamFuzzInput.h"
#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using streambytes::Bytes;

Bytes SaveList(const CompList& list) {
    return streambytes::Save([&](DocStream& s) { list.Write(s); });
}

void CheckListRoundTrip(const Bytes& input) {
    CompList list;
    try {
        streambytes::Load(input, [&](DocStream& s) { list.Read(s); });
    } catch (const platform::FileException&) {
        return;
    }
    const Bytes first = SaveList(list);
    CompList again;
    streambytes::Load(first, [&](DocStream& s) { again.Read(s); });
    if (SaveList(again) != first) std::abort();
}

void ReadPrimitives(const Bytes& input, bool is3D) {
    try {
        streambytes::Load(input, [&](DocStream& s) {
            for (;;) {
                if (is3D)
                    s.ReadPrimitive3D();
                else
                    s.ReadPrimitive2D();
            }
        });
    } catch (const platform::FileException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static docfuzz::Environment environment;
    if (size == 0 || size > (1u << 24)) return 0;
    const Bytes input(data + 1, data + size);
    if (data[0] % 2 == docfuzz::kListMode)
        CheckListRoundTrip(input);
    else
        ReadPrimitives(input, data[0] & 2);
    return 0;
}
