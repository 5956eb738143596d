// Feeds arbitrary bytes to the document stream's reader: as a component list or a whole
// document (the first byte even, bit 2 choosing the document) or as a run of plot primitive
// records (odd). Any input either loads or fails with the stream's exception; one that loads
// must save, load and save again to the same bytes, and a loaded document's paragraphs never
// share an identity.
//
// ctest runs a short regression pass that starts from the seeds in document/fuzz/corpus
// (documents the model wrote, made by document_stream_corpus). A long run, by hand from the
// build folder, into a working copy of the seeds:
//   cp -r ../../document/fuzz/corpus /tmp/doc-corpus
//   document/document_stream_fuzz /tmp/doc-corpus -runs=1000000 -max_len=8192

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/fuzz/DocStreamFuzzInput.h"
#include "document/tests/DocFiles.h"
#include "document/tests/FakeHost.h"
#include "document/tests/StreamBytes.h"
#include "platform/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>

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

// Loads the bytes as a document's file; false when they do not load.
bool LoadDocument(CTessaryDoc& doc, const Bytes& input) {
    try {
        streambytes::Load(input, [&](DocStream& s) { doc.ReadContents(s); });
        return true;
    } catch (const platform::FileException&) {
    } catch (const std::overflow_error&) {
        // A damaged pool that reserved the last number; the open reports it.
    }
    doc.DeleteContents();
    return false;
}

Bytes SaveDocument(CTessaryDoc& doc) {
    return streambytes::Save([&](DocStream& s) { doc.WriteContents(s, true); });
}

void CheckDocument(const Bytes& input) {
    fakes::Host host;
    CTessaryDoc doc(host);
    if (!LoadDocument(doc, input)) return;

    if (!docfiles::IdentityFault(doc).empty()) std::abort();

    const Bytes first = SaveDocument(doc);
    CTessaryDoc again(host);
    if (!LoadDocument(again, first) || SaveDocument(again) != first) std::abort();
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
    if (docfuzz::IsDocumentMode(data[0]))
        CheckDocument(input);
    else if (data[0] % 2 == docfuzz::kListMode)
        CheckListRoundTrip(input);
    else
        ReadPrimitives(input, data[0] & 2);
    return 0;
}
