#include "expr/symbols/BuiltinNames.h"

#include "expr/symbols/SymbolTable.h"

constinit StringHash BuiltinNames;

namespace {

// The link name, the standard head and the display text of most rows (one key each where they
// differ); Greek letters and constants under their link names only, so a typed "e" or "i"
// stays a variable; the punctuation rows have no key. The first entries settle the names that
// two rows share, and the last ones are aliases the kernel answers with.
// clang-format off
constexpr StringHash::Entry kNames[] = {
    {"TYLog", 64}, {"Log", 64}, {"log", 63}, {"ln", 62}, {"or", 72}, {"TYAbove", 11},
    {"TYAbs", 12}, {"Abs", 12}, {"alpha", 13}, {"TYArcCos", 14}, {"ArcCos", 14}, {"arccos", 14},
    {"TYArcSin", 15}, {"ArcSin", 15}, {"arcsin", 15}, {"TYArcTan", 16}, {"ArcTan", 16},
    {"arctan", 16}, {"TYArg", 17}, {"Arg", 17}, {"arg", 17}, {"beta", 18}, {"TYBelow", 19},
    {"chi", 20}, {"Complex", 21}, {"TYConjugate", 22}, {"Conjugate", 22}, {"TYCos", 23},
    {"Cos", 23}, {"cos", 23}, {"TYCosh", 24}, {"Cosh", 24}, {"cosh", 24}, {"TYCot", 25},
    {"Cot", 25}, {"cot", 25}, {"TYCoth", 26}, {"Coth", 26}, {"coth", 26}, {"TYCsc", 27},
    {"Csc", 27}, {"csc", 27}, {"TYD", 28}, {"delta", 29}, {"capDelta", 30}, {"Derivative", 31},
    {"TYDet", 32}, {"Det", 32}, {"TYDirectedInfinity", 33}, {"DirectedInfinity", 33},
    {"TYDivide", 34}, {"Divide", 34}, {"TYDt", 35}, {"Dt", 35}, {"E", 36}, {"epsilon", 37},
    {"Equal", 38}, {"Error", 39}, {"eta", 40}, {"TYExp", 41}, {"Exp", 41}, {"exp", 41},
    {"TYFactorial", 42}, {"Factorial", 42}, {"gamma", 43}, {"capGamma", 44}, {"Graphics", 45},
    {"Graphics3D", 46}, {"Greater", 47}, {"GreaterEqual", 48}, {"Hold", 49}, {"capI", 50},
    {"I", 51}, {"TYInequality", 52}, {"Inequality", 52}, {"Infinity", 53}, {"TYIntegrate", 54},
    {"Integrate", 54}, {"kappa", 55}, {"lambda", 56}, {"Less", 57}, {"LessEqual", 58},
    {"TYLimit", 59}, {"Limit", 59}, {"lim", 59}, {"List", 60}, {"Literal", 61}, {"TYMatrix", 65},
    {"Matrix", 65}, {"TYMod", 66}, {"Mod", 66}, {"mod", 66}, {"mu", 67}, {"nu", 68}, {"Null", 69},
    {"omega", 70}, {"capOmega", 71}, {"TYOr", 72}, {"Or", 72}, {"TYMover", 73}, {"phi", 74},
    {"capPhi", 75}, {"Pi", 76}, {"capPi", 77}, {"TYPlus", 78}, {"Plus", 78}, {"plusMinus", 79},
    {"Point", 80}, {"TYPower", 81}, {"Power", 81}, {"TYProduct", 83}, {"Product", 83},
    {"psi", 84}, {"capPsi", 85}, {"TYRadical", 86}, {"Radical", 86}, {"Rational", 87},
    {"rho", 88}, {"tyReplSub", 89}, {"ReplSub", 89}, {"Rule", 90}, {"TYSec", 91}, {"Sec", 91},
    {"sec", 91}, {"sigma", 92}, {"TYSin", 93}, {"Sin", 93}, {"sin", 93}, {"TYSinh", 94},
    {"Sinh", 94}, {"sinh", 94}, {"TYSum", 95}, {"Sum", 95}, {"TYT", 96}, {"TYTable", 97},
    {"Table", 97}, {"TYTan", 98}, {"Tan", 98}, {"tan", 98}, {"TYTanh", 99}, {"Tanh", 99},
    {"tanh", 99}, {"TYTarget", 100}, {"tau", 101}, {"Text", 102}, {"theta", 103},
    {"capTheta", 104}, {"TYThreeDPlot", 105}, {"ThreeDPlot", 105}, {"TYTimes", 106},
    {"Times", 106}, {"TYTwoDPlot", 107}, {"TwoDPlot", 107}, {"Unequal", 108}, {"unknown", 109},
    {"varphi", 110}, {"xi", 111}, {"capXi", 112}, {"zeta", 113}, {"capE", 114},
    {"tyOtherwise", 117}, {"otherwise", 117}, {"TYEqnSet", 118}, {"EqnSet", 118},
    {"TYSplit", 119}, {"Split", 119}, {"TYColumn", 120}, {"Column", 120}, {"TYSubscript", 121},
    {"Subscript", 121}, {"tyDefaultVar", 122}, {"DefaultVar", 122}, {"tyTransformVar", 123},
    {"TransformVar", 123}, {"iota", 124}, {"capSigma", 125}, {"capLambda", 126},
    {"TYAiryAi", 128}, {"AiryAi", 128}, {"TYAiryBi", 129}, {"AiryBi", 129}, {"TYBeta", 130},
    {"Beta", 130}, {"TYCoshIntegral", 131}, {"CoshIntegral", 131}, {"TYCosIntegral", 132},
    {"CosIntegral", 132}, {"TYDedekindEta", 133}, {"DedekindEta", 133}, {"TYEllipticE", 134},
    {"EllipticE", 134}, {"TYEllipticK", 135}, {"EllipticK", 135}, {"TYErf", 136}, {"Erf", 136},
    {"TYErfc", 137}, {"Erfc", 137}, {"TYEulerPhi", 138}, {"EulerPhi", 138}, {"TYFresnelC", 139},
    {"FresnelC", 139}, {"TYFresnelS", 140}, {"FresnelS", 140}, {"Gamma", 141},
    {"TYGegenbauerC", 142}, {"GegenbauerC", 142}, {"TYHypergeometricU", 143},
    {"HypergeometricU", 143}, {"TYKleinInvariantJ", 144}, {"KleinInvariantJ", 144},
    {"TYLerchPhi", 145}, {"LerchPhi", 145}, {"TYLogIntegral", 146}, {"LogIntegral", 146},
    {"TYModularLambda", 147}, {"ModularLambda", 147}, {"TYMoebiusMu", 148}, {"MoebiusMu", 148},
    {"TYPrimePi", 149}, {"PrimePi", 149}, {"TYRiemannSiegelTheta", 150},
    {"RiemannSiegelTheta", 150}, {"TYRiemannSiegelZ", 151}, {"RiemannSiegelZ", 151},
    {"TYSinhIntegral", 152}, {"SinhIntegral", 152}, {"TYSinIntegral", 153}, {"SinIntegral", 153},
    {"TYZeta", 154}, {"Zeta", 154}, {"TYDiracDelta", 155}, {"DiracDelta", 155},
    {"TYArcCosh", 156}, {"ArcCosh", 156}, {"TYArcCot", 157}, {"ArcCot", 157}, {"TYArcCoth", 158},
    {"ArcCoth", 158}, {"TYArcCsc", 159}, {"ArcCsc", 159}, {"TYArcCsch", 160}, {"ArcCsch", 160},
    {"TYArcSec", 161}, {"ArcSec", 161}, {"TYArcSech", 162}, {"ArcSech", 162}, {"TYArcSinh", 163},
    {"ArcSinh", 163}, {"TYArcTanh", 164}, {"ArcTanh", 164}, {"TYBetaRegularized", 165},
    {"BetaRegularized", 165}, {"TYBinomial", 166}, {"Binomial", 166}, {"TYCeiling", 167},
    {"Ceiling", 167}, {"TYCsch", 168}, {"Csch", 168}, {"TYEllipticF", 169}, {"EllipticF", 169},
    {"TYEllipticNomeQ", 170}, {"EllipticNomeQ", 170}, {"TYEllipticPi", 171}, {"EllipticPi", 171},
    {"TYErfi", 172}, {"Erfi", 172}, {"TYExtendedGCD", 173}, {"ExtendedGCD", 173},
    {"TYFloor", 174}, {"Floor", 174}, {"TYGammaRegularized", 175}, {"GammaRegularized", 175},
    {"TYGCD", 176}, {"GCD", 176}, {"TYHypergeometric0F1", 177}, {"Hypergeometric0F1", 177},
    {"TYHypergeometric0F1Regularized", 178}, {"Hypergeometric0F1Regularized", 178},
    {"TYHypergeometric1F1", 179}, {"Hypergeometric1F1", 179},
    {"TYHypergeometric1F1Regularized", 180}, {"Hypergeometric1F1Regularized", 180},
    {"TYHypergeometric2F1", 181}, {"Hypergeometric2F1", 181},
    {"TYHypergeometric2F1Regularized", 182}, {"Hypergeometric2F1Regularized", 182},
    {"TYHypergeometricPFQ", 183}, {"HypergeometricPFQ", 183},
    {"TYHypergeometricPFQRegularized", 184}, {"HypergeometricPFQRegularized", 184},
    {"TYAppellF1", 185}, {"AppellF1", 185}, {"TYIm", 186}, {"Im", 186},
    {"TYInverseBetaRegularized", 187}, {"InverseBetaRegularized", 187},
    {"TYInverseEllipticNomeQ", 188}, {"InverseEllipticNomeQ", 188}, {"TYInverseErf", 189},
    {"InverseErf", 189}, {"TYInverseErfc", 190}, {"InverseErfc", 190},
    {"TYInverseGammaRegularized", 191}, {"InverseGammaRegularized", 191},
    {"TYInverseJacobiSN", 192}, {"InverseJacobiSN", 192}, {"TYInverseJacobiCN", 193},
    {"InverseJacobiCN", 193}, {"TYInverseJacobiDN", 194}, {"InverseJacobiDN", 194},
    {"TYInverseJacobiSD", 195}, {"InverseJacobiSD", 195}, {"TYInverseJacobiCD", 196},
    {"InverseJacobiCD", 196}, {"TYInverseJacobiND", 197}, {"InverseJacobiND", 197},
    {"TYInverseJacobiSC", 198}, {"InverseJacobiSC", 198}, {"TYInverseJacobiDC", 199},
    {"InverseJacobiDC", 199}, {"TYInverseJacobiNC", 200}, {"InverseJacobiNC", 200},
    {"TYInverseJacobiCS", 201}, {"InverseJacobiCS", 201}, {"TYInverseJacobiDS", 202},
    {"InverseJacobiDS", 202}, {"TYInverseJacobiNS", 203}, {"InverseJacobiNS", 203},
    {"TYInverseWeierstrassP", 204}, {"InverseWeierstrassP", 204}, {"TYJacobiAmplitude", 205},
    {"JacobiAmplitude", 205}, {"TYJacobiP", 206}, {"JacobiP", 206}, {"TYJacobiSN", 207},
    {"JacobiSN", 207}, {"TYJacobiCN", 208}, {"JacobiCN", 208}, {"TYJacobiDN", 209},
    {"JacobiDN", 209}, {"TYJacobiSD", 210}, {"JacobiSD", 210}, {"TYJacobiCD", 211},
    {"JacobiCD", 211}, {"TYJacobiND", 212}, {"JacobiND", 212}, {"TYJacobiSC", 213},
    {"JacobiSC", 213}, {"TYJacobiDC", 214}, {"JacobiDC", 214}, {"TYJacobiNC", 215},
    {"JacobiNC", 215}, {"TYJacobiCS", 216}, {"JacobiCS", 216}, {"TYJacobiDS", 217},
    {"JacobiDS", 217}, {"TYJacobiNS", 218}, {"JacobiNS", 218}, {"TYJacobiSymbol", 219},
    {"JacobiSymbol", 219}, {"TYJacobiZeta", 220}, {"JacobiZeta", 220}, {"TYLCM", 221},
    {"LCM", 221}, {"TYMathieuC", 222}, {"MathieuC", 222}, {"TYMathieuCharacteristicA", 223},
    {"MathieuCharacteristicA", 223}, {"TYMathieuCharacteristicB", 224},
    {"MathieuCharacteristicB", 224}, {"TYMathieuCharacteristicExponent", 225},
    {"MathieuCharacteristicExponent", 225}, {"TYMathieuCPrime", 226}, {"MathieuCPrime", 226},
    {"TYMathieuS", 227}, {"MathieuS", 227}, {"TYMathieuSPrime", 228}, {"MathieuSPrime", 228},
    {"TYMeijerG", 229}, {"MeijerG", 229}, {"TYMultinomial", 230}, {"Multinomial", 230},
    {"TYPartitionsP", 231}, {"PartitionsP", 231}, {"TYPartitionsQ", 232}, {"PartitionsQ", 232},
    {"TYPochhammer", 233}, {"Pochhammer", 233}, {"TYPolyGamma", 234}, {"PolyGamma", 234},
    {"TYPowerMod", 235}, {"PowerMod", 235}, {"TYPrime", 236}, {"Prime", 236},
    {"TYEllipticExp", 237}, {"EllipticExp", 237}, {"TYProductLog", 238}, {"ProductLog", 238},
    {"TYRe", 239}, {"Re", 239}, {"TYRound", 240}, {"Round", 240}, {"TYSech", 241}, {"Sech", 241},
    {"TYStirlingS1", 242}, {"StirlingS1", 242}, {"TYStirlingS2", 243}, {"StirlingS2", 243},
    {"TYWeierstrassHalfPeriods", 244}, {"WeierstrassHalfPeriods", 244},
    {"TYWeierstrassInvariants", 245}, {"WeierstrassInvariants", 245}, {"TYWeierstrassP", 246},
    {"WeierstrassP", 246}, {"TYWeierstrassPPrime", 247}, {"WeierstrassPPrime", 247},
    {"TYWeierstrassSigma", 248}, {"WeierstrassSigma", 248}, {"TYWeierstrassZeta", 249},
    {"WeierstrassZeta", 249}, {"TYCarmichaelLambda", 250}, {"CarmichaelLambda", 250},
    {"TYDiscreteDelta", 251}, {"DiscreteDelta", 251}, {"TYStruveH", 252}, {"StruveH", 252},
    {"TYStruveL", 253}, {"StruveL", 253}, {"TYAiryAiPrime", 254}, {"AiryAiPrime", 254},
    {"TYAiryBiPrime", 255}, {"AiryBiPrime", 255}, {"TYBernoulliB", 256}, {"BernoulliB", 256},
    {"TYBesselI", 257}, {"BesselI", 257}, {"TYBesselJ", 258}, {"BesselJ", 258},
    {"TYBesselK", 259}, {"BesselK", 259}, {"TYBesselY", 260}, {"BesselY", 260},
    {"TYChebyshevT", 261}, {"ChebyshevT", 261}, {"TYChebyshevU", 262}, {"ChebyshevU", 262},
    {"TYCyclotomic", 263}, {"Cyclotomic", 263}, {"TYDivisorSigma", 264}, {"DivisorSigma", 264},
    {"TYEulerE", 265}, {"EulerE", 265}, {"TYExpIntegralE", 266}, {"ExpIntegralE", 266},
    {"ExpIntegralEi", 267}, {"TYFibonacci", 268}, {"Fibonacci", 268}, {"TYHermiteH", 269},
    {"HermiteH", 269}, {"TYPolyLog", 270}, {"PolyLog", 270}, {"EllipticTheta", 271},
    {"EllipticThetaPrime", 272}, {"TYLaguerreL", 273}, {"LaguerreL", 273}, {"TYLegendreP", 274},
    {"LegendreP", 274}, {"TYLegendreQ", 275}, {"LegendreQ", 275}, {"TYSphericalHarmonicY", 276},
    {"SphericalHarmonicY", 276}, {"TYKroneckerDelta", 277}, {"KroneckerDelta", 277},
    {"Line", 279}, {"Polygon", 280}, {"SurfaceGraphics", 281}, {"scriptF", 282},
    {"TYFourierTransform", 283}, {"FourierTransform", 283}, {"scriptL", 284},
    {"TYLaplaceTransform", 285}, {"LaplaceTransform", 285}, {"TYFourierCosTransform", 286},
    {"FourierCosTransform", 286}, {"TYFourierSinTransform", 287}, {"FourierSinTransform", 287},
    {"TYInverseFourierCosTransform", 288}, {"InverseFourierCosTransform", 288},
    {"TYInverseFourierSinTransform", 289}, {"InverseFourierSinTransform", 289},
    {"TYInverseFourierTransform", 290}, {"InverseFourierTransform", 290},
    {"TYInverseLaplaceTransform", 291}, {"InverseLaplaceTransform", 291}, {"TYZTransform", 292},
    {"ZTransform", 292}, {"TYInverseZTransform", 293}, {"InverseZTransform", 293},
    {"TYUnitStep", 294}, {"UnitStep", 294}, {"tyP", 296}, {"Part", 121}, {"TYEqual", 38},
    {"Sigma", 125}, {"Lambda", 126}, {"TYPostPlus", 78}, {"TYExpIntegralEi", 267},
};
// clang-format on

} // namespace

std::span<const StringHash::Entry> BuiltinNameList() {
    return kNames;
}

bool IsUprightBuiltinName(std::string_view name) {
    // Names are short: a word run holds at most 31 characters.
    char text[64];
    if (name.empty() || name.size() >= sizeof text) return false;
    name.copy(text, name.size());
    text[name.size()] = '\0';
    const SymbolRow* row = BuiltinSymbol(LookupBuiltinName(text));
    return row != nullptr && (row->flags & kUpright) != 0;
}

BuiltinNamesScope::BuiltinNamesScope() : m_previous(BuiltinNames) {
    BuiltinNames.Fill(kNames, static_cast<int32_t>(std::size(kNames)));
}

BuiltinNamesScope::~BuiltinNamesScope() {
    BuiltinNames = m_previous;
}
