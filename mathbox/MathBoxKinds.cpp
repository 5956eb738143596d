#include "mathbox/MathBoxKinds.h"

#include "mathbox/MathBoxes.h"

namespace {

CompArray Take(BoxList list) {
    CompArray array;
    for (OwnedComponent& box : list.Release())
        array.Add(std::move(box));
    return array;
}

template <typename Box>
OwnedComponent NewEmpty() {
    return OwnedComponent(new Box);
}

struct Kind {
    TypeTag tag;
    TextComp::Creator* create;
};

constexpr Kind kKinds[] = {
    {tags::Fraction, NewEmpty<FracComp>},
    {tags::Exponent, NewEmpty<ExpoComp>},
    {tags::Subscript, NewEmpty<SubsComp>},
    {tags::AbsValue, NewEmpty<AbsVComp>},
    {tags::BraceGroup, NewEmpty<BracketComp>},
    {tags::ParenGroup, NewEmpty<ParenComp>},
    {tags::Overbar, NewEmpty<OverComp>},
    {tags::Missing, NewEmpty<MissComp>},
    {tags::Radical, NewEmpty<SqrtComp>},
    {tags::Integral, NewEmpty<InteComp>},
    {tags::Sum, NewEmpty<SumComp>},
    {tags::Product, NewEmpty<ProdComp>},
    {tags::Limit, NewEmpty<LimitComp>},
};

} // namespace

MathBoxKinds::MathBoxKinds() {
    static_assert(std::size(kKinds) <= kKindCount);
    for (size_t k = 0; k < std::size(kKinds); ++k)
        m_kinds[k].emplace(TextComp::KindSlot(kKinds[k].tag), kKinds[k].create);
}

OwnedComponent MathBoxFactory::FracComp(BoxList numerator, BoxList denominator) {
    return OwnedComponent(new ::FracComp(Take(std::move(numerator)), Take(std::move(denominator))));
}

OwnedComponent MathBoxFactory::ExpoComp(BoxList exponent) {
    return OwnedComponent(new ::ExpoComp(Take(std::move(exponent))));
}

OwnedComponent MathBoxFactory::SubsComp(BoxList script) {
    return OwnedComponent(new ::SubsComp(Take(std::move(script))));
}

OwnedComponent MathBoxFactory::SqrtComp(BoxList radicand, BoxList index, bool hasIndex) {
    return OwnedComponent(
        new ::SqrtComp(Take(std::move(radicand)), hasIndex ? Take(std::move(index)) : CompArray()));
}

OwnedComponent MathBoxFactory::ParenComp(BoxList contents) {
    return OwnedComponent(new ::ParenComp(Take(std::move(contents))));
}

OwnedComponent MathBoxFactory::BracketComp(BoxList contents) {
    return OwnedComponent(new ::BracketComp(Take(std::move(contents))));
}

OwnedComponent MathBoxFactory::AbsVComp(BoxList contents) {
    return OwnedComponent(new ::AbsVComp(Take(std::move(contents))));
}

OwnedComponent MathBoxFactory::OverComp(BoxList contents) {
    return OwnedComponent(new ::OverComp(Take(std::move(contents))));
}

OwnedComponent MathBoxFactory::LimitComp(BoxList condition) {
    return OwnedComponent(new ::LimitComp(Take(std::move(condition))));
}

OwnedComponent MathBoxFactory::SumComp(BoxList upper, BoxList lower, bool hasUpper) {
    return OwnedComponent(
        new ::SumComp(hasUpper ? Take(std::move(upper)) : CompArray(), Take(std::move(lower))));
}

OwnedComponent MathBoxFactory::ProdComp(BoxList upper, BoxList lower, bool hasUpper) {
    return OwnedComponent(
        new ::ProdComp(hasUpper ? Take(std::move(upper)) : CompArray(), Take(std::move(lower))));
}

OwnedComponent MathBoxFactory::InteComp(BoxList integrand, BoxList variable, BoxList upper,
                                        BoxList lower, bool hasBounds) {
    if (!hasBounds)
        return OwnedComponent(
            new ::InteComp(Take(std::move(integrand)), Take(std::move(variable))));
    return OwnedComponent(new ::InteComp(Take(std::move(integrand)), Take(std::move(variable)),
                                         Take(std::move(upper)), Take(std::move(lower))));
}
