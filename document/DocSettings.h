#pragma once

// The two small records a document keeps beside its paragraphs and stores in its file header:
// the document settings and the creation defaults of the table and equation-set dialogs.

#include "document/Rect.h"

#include <cstdint>

class DocStream;

struct DocSettings {
    // The record's length in the file header.
    static constexpr int32_t kStoredLength = 23;
    static constexpr uint8_t kDefaultBaseSize = 5;

    // The normal position of the document's frame window: taken from the frame before every
    // save and given back to it after every open.
    Rect placement{0, 0, 600, 480};
    // Font size index of ordinary text: 3 = 18 point, 4 = 16, 5 = 14, 6 = 12, 7 = 10.
    uint8_t baseSize = kDefaultBaseSize;
    // Stored and restored with the document; nothing reads it.
    uint8_t reserved = 0;
    uint8_t largerEquations = 0;
    int16_t firstPage = 1;
    uint8_t numberPages = 1;

    // Base size (16-bit), reserved, larger equations, first page (16-bit), the placement's
    // left, top, right, bottom (32-bit each), number pages.
    void Write(DocStream& stream) const;
    // The flags read back as 0 or 1; a base size outside 0 to 9 reads as the default, and so
    // does a placement that is empty or reaches more than 2^20 pixels from the origin.
    void Read(DocStream& stream);

    bool operator==(const DocSettings&) const = default;
};

struct CreateDefaults {
    static constexpr int32_t kStoredLength = 6;

    // Last used in the "Create Table" dialog, and in the "Create Equation Set" dialog.
    int16_t columns = 2;
    int16_t rows = 2;
    int16_t entries = 2;

    // Columns, rows, entries, 16-bit each.
    void Write(DocStream& stream) const;
    void Read(DocStream& stream);

    bool operator==(const CreateDefaults&) const = default;
};
