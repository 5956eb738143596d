#include "mathbox/MathBoxKinds.h"

#include "mathbox/MathBoxes.h"

namespace {

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

CompArray TakeBoxes(BoxList boxes) {
    CompArray array;
    for (OwnedComponent& box : boxes.Release())
        array.Add(std::move(box));
    return array;
}

MathBoxKinds::MathBoxKinds() {
    static_assert(std::size(kKinds) <= kKindCount);
    for (size_t k = 0; k < std::size(kKinds); ++k)
        m_kinds[k].emplace(TextComp::KindSlot(kKinds[k].tag), kKinds[k].create);
}

OwnedComponent MathBoxFactory::FracComp(BoxList numerator, BoxList denominator) {
    return OwnedComponent(
        new ::FracComp(TakeBoxes(std::move(numerator)), TakeBoxes(std::move(denominator))));
}

OwnedComponent MathBoxFactory::ExpoComp(BoxList exponent) {
    return OwnedComponent(new ::ExpoComp(TakeBoxes(std::move(exponent))));
}

OwnedComponent MathBoxFactory::SubsComp(BoxList script) {
    return OwnedComponent(new ::SubsComp(TakeBoxes(std::move(script))));
}

OwnedComponent MathBoxFactory::SqrtComp(BoxList radicand, BoxList index, bool hasIndex) {
    return OwnedComponent(new ::SqrtComp(TakeBoxes(std::move(radicand)),
                                         hasIndex ? TakeBoxes(std::move(index)) : CompArray()));
}

OwnedComponent MathBoxFactory::ParenComp(BoxList contents) {
    return OwnedComponent(new ::ParenComp(TakeBoxes(std::move(contents))));
}

OwnedComponent MathBoxFactory::BracketComp(BoxList contents) {
    return OwnedComponent(new ::BracketComp(TakeBoxes(std::move(contents))));
}

OwnedComponent MathBoxFactory::AbsVComp(BoxList contents) {
    return OwnedComponent(new ::AbsVComp(TakeBoxes(std::move(contents))));
}

OwnedComponent MathBoxFactory::OverComp(BoxList contents) {
    return OwnedComponent(new ::OverComp(TakeBoxes(std::move(contents))));
}

OwnedComponent MathBoxFactory::LimitComp(BoxList condition) {
    return OwnedComponent(new ::LimitComp(TakeBoxes(std::move(condition))));
}

OwnedComponent MathBoxFactory::SumComp(BoxList upper, BoxList lower, bool hasUpper) {
    return OwnedComponent(new ::SumComp(hasUpper ? TakeBoxes(std::move(upper)) : CompArray(),
                                        TakeBoxes(std::move(lower))));
}

OwnedComponent MathBoxFactory::ProdComp(BoxList upper, BoxList lower, bool hasUpper) {
    return OwnedComponent(new ::ProdComp(hasUpper ? TakeBoxes(std::move(upper)) : CompArray(),
                                         TakeBoxes(std::move(lower))));
}

OwnedComponent MathBoxFactory::InteComp(BoxList integrand, BoxList variable, BoxList upper,
                                        BoxList lower, bool hasBounds) {
    if (!hasBounds)
        return OwnedComponent(
            new ::InteComp(TakeBoxes(std::move(integrand)), TakeBoxes(std::move(variable))));
    return OwnedComponent(new ::InteComp(TakeBoxes(std::move(integrand)),
                                         TakeBoxes(std::move(variable)),
                                         TakeBoxes(std::move(upper)), TakeBoxes(std::move(lower))));
}
