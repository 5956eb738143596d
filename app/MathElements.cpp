#include "app/MathElements.h"

#include "app/CommandIds.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/MathBoxes.h"

namespace {

constexpr uint8_t kPrime = 183;
constexpr uint8_t kDoublePrime = 242;

template <typename Box, typename... Args>
ElementBuilder Builds(Args... args) {
    return [=](BaseView&) { return OwnedComponent(new Box(args...)); };
}

// The empty differential first, then the derivative around it, which takes it over: a partial
// derivative is never without one.
OwnedComponent NewPartialDerivative(BaseView&) {
    std::vector<OwnedDifferential> differentials;
    differentials.emplace_back(new PartialDifferentialBox());
    return OwnedComponent(new PartialDerivativeBox(std::move(differentials), CompArray()));
}

} // namespace

MathElements::MathElements() {
    const std::pair<int32_t, ElementBuilder> builders[] = {
        {cmd::kElementFraction, Builds<FracComp>()},
        {cmd::kElementFraction + 1, Builds<ExpoComp>()},
        {cmd::kElementFraction + 2, Builds<SubsComp>()},
        {cmd::kElementFraction + 3, Builds<SqrtComp>()},
        {cmd::kElementFraction + 4, Builds<OverComp>()},
        {cmd::kElementTotalDerivative, Builds<TotalDerivativeBox>()},
        {cmd::kElementPrime, Builds<ExpoComp>(kPrime)},
        {cmd::kElementDoublePrime, Builds<ExpoComp>(kDoublePrime)},
        {cmd::kElementPartialDerivative, NewPartialDerivative},
        {cmd::kElementFraction + 9, Builds<InteComp>()},
        {cmd::kElementFraction + 10, Builds<SumComp>()},
        {cmd::kElementFraction + 11, Builds<LimitComp>()},
        {cmd::kElementFraction + 16, Builds<ParenComp>()},
        {cmd::kElementFraction + 17, Builds<AbsVComp>()},
    };
    for (const auto& [id, build] : builders)
        m_builders.push_back(std::make_unique<Held>(id, build));
}
