#pragma once

// The math boxes in the program: their kinds (so documents load them), the box factory (so
// kernel answers display as boxes), the infix parser (so math lines become expressions for the
// kernel), which typed names are set upright (the built-in table's names) and the builders of
// their Element commands, for the life of the object.

#include "app/ElementBuilders.h"
#include "expr/symbols/BuiltinNames.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/UprightNames.h"
#include "mathbox/parser/ExprParser.h"
#include "platform/Installed.h"

#include <memory>
#include <vector>

class MathElements {
public:
    MathElements();
    MathElements(const MathElements&) = delete;
    MathElements& operator=(const MathElements&) = delete;

private:
    // A registration, which cannot move, kept where it was made.
    struct Held {
        Held(int32_t id, ElementBuilder build)
            : registration(ElementBuilders::Instance().Register(id, std::move(build))) {}
        ElementBuilders::Registration registration;
    };

    MathBoxKinds m_kinds;
    InfixListParser m_parser;
    Installed<ListParser> m_parserInstalled{gListParser, &m_parser};
    Installed<UprightNameTest> m_uprightNames{gUprightNames, IsUprightBuiltinName};
    std::vector<std::unique_ptr<Held>> m_builders;
};
