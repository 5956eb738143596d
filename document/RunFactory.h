#pragma once

// How a component list creates the runs of its line. The layout subsystem installs the real
// factory in `gRunFactory` with an `Installed` guard at start-up. Every run returned is new.
// Constructor arguments are the list first, then the 1-based position of the first element the
// run stands for, then the character (its stored, unmapped code) and the face number.

#include "platform/Installed.h"

#include <cstdint>
#include <memory>

class CompList;
class Layout;
class TextComp;

class RunFactory {
public:
    virtual ~RunFactory() = default;

    // "plac": an empty list; `mode` is the owner's placeholder mode word.
    virtual std::unique_ptr<Layout> NewPlaceholder(CompList* list, int32_t mode) = 0;
    // "gray": one bar standing for a list too wide to show.
    virtual std::unique_ptr<Layout> NewGray(CompList* list) = 0;
    // "strL": one embedded component.
    virtual std::unique_ptr<Layout> NewStructure(TextComp* comp, int32_t start) = 0;
    // "word": letters, which later letters of the same face may join.
    virtual std::unique_ptr<Layout> NewWord(CompList* list, int32_t start, uint8_t code,
                                            int32_t face) = 0;
    // "nonA": signs and relations, and blanks other than space and tab.
    virtual std::unique_ptr<Layout> NewOperator(CompList* list, int32_t start, uint8_t code,
                                                int32_t face) = 0;
    // "spcL" and "tabL": stretches of blanks and of tabs.
    virtual std::unique_ptr<Layout> NewSpace(CompList* list, int32_t start, int32_t face) = 0;
    virtual std::unique_ptr<Layout> NewTab(CompList* list, int32_t start, int32_t face) = 0;
};

// The installed factory; not owned here.
extern ServiceSlot<RunFactory> gRunFactory;

// The run that starts at child `i` of `list`, by the child's kind and character class: a
// structure run for a component, else a word, space, tab or operator run, from the installed
// factory (or from `factory`, for a caller that builds runs of its own kinds).
std::unique_ptr<Layout> NewRunFor(CompList* list, int32_t i, TextComp* child);
std::unique_ptr<Layout> NewRunFor(RunFactory& factory, CompList* list, int32_t i, TextComp* child);
