#pragma once

// The editor's command ids. The numbers are part of the program's contract: the element
// commands and toolbar buttons, the Symbols bar and the size commands compute with them, and
// the kernel choice popup's items start at `kFirstChoice`.

#include <cstdint>

namespace cmd {

// --- File ---
inline constexpr int32_t kFileNew = 57600;
inline constexpr int32_t kFileOpen = 57601;
inline constexpr int32_t kFileClose = 57602;
inline constexpr int32_t kFileSave = 57603;
inline constexpr int32_t kFileSaveAs = 57604;
inline constexpr int32_t kFilePrintSetup = 57606;
inline constexpr int32_t kFilePrint = 57607;
inline constexpr int32_t kFilePrintPreview = 57609;
inline constexpr int32_t kFileMru1 = 57616; // the four recent files: 57616 to 57619
inline constexpr int32_t kRecentFileCount = 4;
inline constexpr int32_t kAppExit = 57665;
inline constexpr int32_t kExportLatex = 34011;
inline constexpr int32_t kExportNotebook = 34012;
inline constexpr int32_t kExportMathMl = 34013;
inline constexpr int32_t kExportHtml = 34017;
inline constexpr int32_t kExportTechExplorer = 34018;

// --- Edit ---
inline constexpr int32_t kEditCopy = 57634;
inline constexpr int32_t kEditCut = 57635;
inline constexpr int32_t kEditPaste = 57637;
inline constexpr int32_t kEditUndo = 57643;
inline constexpr int32_t kCopyMetafile = 34006;
inline constexpr int32_t kSelectAll = 34025;
inline constexpr int32_t kFind = 34024;
inline constexpr int32_t kInsertRow = 32771;
inline constexpr int32_t kInsertColumn = 32772;
inline constexpr int32_t kInsertDerivative = 32773;
inline constexpr int32_t kPlotParameters = 34007;
inline constexpr int32_t kLinkProperties = 34008;

// --- Format: text styles (id - kTextPlain) and paragraph styles (id - kParaTitle) ---
inline constexpr int32_t kTextPlain = 32774;
inline constexpr int32_t kTextTypewriter = 32778;
inline constexpr int32_t kParaTitle = 32779;
inline constexpr int32_t kParaPlainEquation = 32784;
inline constexpr int32_t kParaSourceCode = 32786;

// --- Display ---
inline constexpr int32_t kPageNumbering = 32789;
inline constexpr int32_t kLargerEquations = 32790;
inline constexpr int32_t kTextPreferences = 34019;
// The size commands: size index = kSizeBase - id (10 pt 7, 12 pt 6, 14 pt 5, 18 pt 3).
inline constexpr int32_t kSize10 = 15000;
inline constexpr int32_t kSize12 = 15001;
inline constexpr int32_t kSize14 = 15002;
inline constexpr int32_t kSize18 = 15004;
inline constexpr int32_t kSizeBase = 15007;

// --- Elements: toolbar buttons run the menu command 21 above them ---
inline constexpr int32_t kFirstToolbarElement = 32791;
inline constexpr int32_t kLastToolbarElement = 32811;
inline constexpr int32_t kFirstElement = 32812;
inline constexpr int32_t kLastElement = 32832;
inline constexpr int32_t kToolbarToMenu = kFirstElement - kFirstToolbarElement;
inline constexpr int32_t kElementFraction = 32812;
inline constexpr int32_t kElementTotalDerivative = 32817;
inline constexpr int32_t kElementPrime = 32818;
inline constexpr int32_t kElementDoublePrime = 32819;
inline constexpr int32_t kElementPartialDerivative = 32820;
inline constexpr int32_t kElementIntegral = 32821;
inline constexpr int32_t kElementSummation = 32822;
inline constexpr int32_t kElementPlot2D = 32830;
inline constexpr int32_t kElementPlot3D = 32831;
inline constexpr int32_t kElementLink = 32832;

// --- Symbols bar ---
inline constexpr int32_t kFirstSymbol = 32901;
inline constexpr int32_t kLastSymbol = 32968;
inline constexpr int32_t kSymbolCount = kLastSymbol - kFirstSymbol + 1;

// --- Kernel ---
inline constexpr int32_t kStartKernel = 34001;
inline constexpr int32_t kQuitKernel = 34002;
inline constexpr int32_t kCalculationOptions = 34003;
inline constexpr int32_t kTermOrdering = 34004;
inline constexpr int32_t kConnectionOptions = 34005;
inline constexpr int32_t kEvaluateCode = 34026;
inline constexpr int32_t kFirstChoice = 33000;
inline constexpr int32_t kLastChoice = 34000;

// --- View, Window, Help ---
inline constexpr int32_t kViewToolbar = 59392;
inline constexpr int32_t kViewStatusBar = 59393;
inline constexpr int32_t kViewSymbols = 32990;
inline constexpr int32_t kViewConstants = 32991;
inline constexpr int32_t kWindowCascade = 57650;
inline constexpr int32_t kWindowTile = 57651;
inline constexpr int32_t kAppAbout = 57664;

inline constexpr bool IsToolbarElement(int32_t id) {
    return id >= kFirstToolbarElement && id <= kLastToolbarElement;
}
inline constexpr bool IsElement(int32_t id) {
    return id >= kFirstElement && id <= kLastElement;
}
// The Element menu's id of an element command, from the menu or the toolbar.
inline constexpr int32_t MenuElementId(int32_t id) {
    return IsToolbarElement(id) ? id + kToolbarToMenu : id;
}
inline constexpr bool IsSymbol(int32_t id) {
    return id >= kFirstSymbol && id <= kLastSymbol;
}

} // namespace cmd
