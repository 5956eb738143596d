#include "app/CommandTable.h"

#include "app/CommandIds.h"

#include <array>
#include <cstring>
#include <string>
#include <unordered_map>

using namespace cmd;

namespace {

constexpr CommandEntry kCommands[] = {
    // File
    {kFileNew, "&New\tCtrl+N"},
    {kFileOpen, "&Open...\tCtrl+O"},
    {kFileClose, "&Close"},
    {kFileSave, "&Save\tCtrl+S"},
    {kFileSaveAs, "Save &As..."},
    {kExportLatex, "LaTeX..."},
    {kExportTechExplorer, "TechExplorer..."},
    {kExportNotebook, "Notebook..."},
    {kExportMathMl, "MathML..."},
    {kExportHtml, "HTML..."},
    {kFilePrint, "&Print...\tCtrl+P"},
    {kFilePrintPreview, "Print Pre&view"},
    {kFilePrintSetup, "P&rint Setup..."},
    {kFileMru1, "Recent File"},
    {kFileMru1 + 1, "Recent File"},
    {kFileMru1 + 2, "Recent File"},
    {kFileMru1 + 3, "Recent File"},
    {kAppExit, "E&xit"},
    // Edit
    {kEditUndo, "&Undo\tCtrl+Z"},
    {kEditCut, "Cu&t\tCtrl+X"},
    {kEditCopy, "&Copy\tCtrl+C"},
    {kCopyMetafile, "Copy as Metafile"},
    {kEditPaste, "&Paste\tCtrl+V"},
    {kSelectAll, "Select &All\tCtrl+A"},
    {kFind, "Find..."},
    {kInsertRow, "Insert Ro&w"},
    {kInsertColumn, "Insert &Column"},
    {kInsertDerivative, "Insert Deri&vative"},
    {kPlotParameters, "Set Plot Parameters..."},
    {kLinkProperties, "Link Properties..."},
    // Format
    {32774, "&Plain\tF7"},
    {32775, "&Italic\tF8"},
    {32776, "&Bold\tF9"},
    {32777, "&Math\tF10"},
    {32778, "T&ypewriter"},
    {32779, "&Title"},
    {32780, "&Section\tF2"},
    {32781, "&Heading\tF3"},
    {32782, "P&aragraph\tF4"},
    {32783, "&List Entry"},
    {32784, "Plain &Equation\tF5"},
    {32785, "&Numbered Equation"},
    {32786, "So&urce Code"},
    // Element
    {32812, "&Fraction\tCtrl+F"},
    {32813, "&Exponent\tCtrl+E"},
    {32814, "&Subscript\tCtrl+Shift+E"},
    {32815, "&Radical\tCtrl+R"},
    {32816, "&Overbar"},
    {32817, "Total &Derivative"},
    {32818, "Pri&me\tAlt+'"},
    {32819, "Dou&ble Prime\tAlt+Shift+'"},
    {32820, "&Partial Derivative"},
    {32821, "&Integral\tCtrl+I"},
    {32822, "S&ummation"},
    {32823, "&Limit"},
    {32824, "&Matrix\tCtrl+M"},
    {32825, "&Table\tCtrl+T"},
    {32826, "E&quation Set"},
    {32827, "Split Defi&nition"},
    {32828, "&Group\tCtrl+G"},
    {32829, "&Absolute Value"},
    {32830, "T&wo-d Plot"},
    {32831, "T&hree-d Plot"},
    {32832, "Lin&k\tCtrl+L"},
    // Display
    {kSize10, "10 Point"},
    {kSize12, "12 Point"},
    {kSize14, "14 Point"},
    {kSize18, "18 Point"},
    {kLargerEquations, "Larger Equations"},
    {kTextPreferences, "Text Preferences..."},
    {kPageNumbering, "Page N&umbering..."},
    // Kernel
    {kStartKernel, "&Start Kernel"},
    {kQuitKernel, "&Quit Kernel"},
    {kEvaluateCode, "&Evaluate Oskaria Code"},
    {kConnectionOptions, "Connection &Options..."},
    {kCalculationOptions, "&Calculation Options..."},
    {kTermOrdering, "&Term Ordering..."},
    // View, Window, Help
    {kViewToolbar, "&Toolbar"},
    {kViewStatusBar, "&Status Bar"},
    {kViewSymbols, "&Symbols"},
    {kViewConstants, "&Constants"},
    {kWindowCascade, "&Cascade"},
    {kWindowTile, "&Tile"},
    {kAppAbout, "&About Tessary..."},
};

constexpr MenuItemEntry kSeparator{0};

constexpr MenuItemEntry kExportItems[] = {
    {kExportLatex}, {kExportTechExplorer}, {kExportNotebook}, {kExportMathMl}, {kExportHtml},
};
constexpr MenuEntry kExportMenu{"&Export", kExportItems, true};

constexpr MenuItemEntry kFileItems[] = {
    {kFileNew},        {kFileOpen}, {kFileClose},    {kFileSave},         {kFileSaveAs},
    {0, &kExportMenu}, kSeparator,  {kFilePrint},    {kFilePrintPreview}, {kFilePrintSetup},
    kSeparator,        {kFileMru1}, {kFileMru1 + 1}, {kFileMru1 + 2},     {kFileMru1 + 3},
    kSeparator,        {kAppExit},
};
constexpr MenuItemEntry kEditItems[] = {
    {kEditUndo},       kSeparator,      {kEditCut},          {kEditCopy}, {kCopyMetafile},
    {kEditPaste},      kSeparator,      {kSelectAll},        {kFind},     kSeparator,
    {kInsertRow},      {kInsertColumn}, {kInsertDerivative}, kSeparator,  {kPlotParameters},
    {kLinkProperties},
};
constexpr MenuItemEntry kFormatItems[] = {
    {32774}, {32775}, {32776}, {32777}, {32778}, kSeparator, {32779},
    {32780}, {32781}, {32782}, {32783}, {32784}, {32785},    {32786},
};
constexpr MenuItemEntry kElementItems[] = {
    {32812}, {32813},    {32814}, {32815}, {32816},    kSeparator, {32817}, {32818},    {32819},
    {32820}, kSeparator, {32821}, {32822}, {32823},    kSeparator, {32824}, {32825},    {32826},
    {32827}, kSeparator, {32828}, {32829}, kSeparator, {32830},    {32831}, kSeparator, {32832},
};
constexpr MenuItemEntry kDisplayItems[] = {
    {kSize10},          {kSize12},  {kSize14},          {kSize18},        kSeparator,
    {kLargerEquations}, kSeparator, {kTextPreferences}, {kPageNumbering},
};
constexpr MenuItemEntry kKernelItems[] = {
    {kStartKernel},       {kQuitKernel},         kSeparator,      {kEvaluateCode}, kSeparator,
    {kConnectionOptions}, {kCalculationOptions}, {kTermOrdering},
};
constexpr MenuItemEntry kViewItems[] = {
    {kViewToolbar}, {kViewStatusBar}, kSeparator, {kViewSymbols}, {kViewConstants},
};
constexpr MenuItemEntry kWindowItems[] = {{kWindowCascade}, {kWindowTile}};
constexpr MenuItemEntry kHelpItems[] = {{kAppAbout}};

constexpr MenuEntry kMenuBar[] = {
    {"&File", kFileItems, false},      {"&Edit", kEditItems, true},
    {"F&ormat", kFormatItems, true},   {"E&lement", kElementItems, true},
    {"&Display", kDisplayItems, true}, {"&Kernel", kKernelItems, true},
    {"&View", kViewItems, false},      {"&Window", kWindowItems, true},
    {"&Help", kHelpItems, false},
};

constexpr int32_t kToolbar[] = {
    32791, 32792, 32793, 32794, 32795, 0, 32796, 32797, 32798, 32799, 0,     32800, 32801, 32802,
    0,     32803, 32804, 32805, 32806, 0, 32807, 32808, 0,     32809, 32810, 0,     32811,
};

constexpr int32_t kSymbolsOrder[kSymbolCount] = {
    32901, 32902, 32903, 32904, 32905, 32906, 32907, 32908, 32953, 32909, 32910, 32911,
    32912, 32913, 32914, 32915, 32916, 32917, 32918, 32919, 32920, 32921, 32922, 32923,
    32924, 32925, 32926, 32927, 32928, 32929, 32930, 32933, 32956, 32958, 32932, 32957,
    32934, 32954, 32935, 32955, 32931, 32937, 32938, 32936, 32960, 32947, 32968, 32943,
    32945, 32946, 32949, 32948, 32959, 32965, 32961, 32962, 32939, 32940, 32941, 32942,
    32967, 32966, 32950, 32951, 32963, 32964, 32952, 32944,
};

// By command id, 32901 first.
constexpr uint8_t kSymbolCodes[kSymbolCount] = {
    168, 135, 155, 231, 200, 132, 138, 212, 255, 154, 181, 244, 204, 188, 139, 164, 241,
    131, 210, 243, 205, 251, 134, 130, 252, 233, 140, 207, 215, 236, 240, 137, 194, 133,
    218, 185, 177, 247, 186, 179, 171, 187, 156, 178, 175, 245, 159, 180, 202, 253, 211,
    216, 136, 217, 152, 165, 170, 203, 248, 166, 237, 238, 228, 227, 172, 220, 225, 214,
};

const std::unordered_map<int32_t, const char*>& TextById() {
    static const std::unordered_map<int32_t, const char*> map = [] {
        std::unordered_map<int32_t, const char*> m;
        for (const CommandEntry& entry : kCommands)
            m.emplace(entry.id, entry.text);
        return m;
    }();
    return map;
}

// Tool tips without "&" and without the shortcut, made once per button.
std::array<std::string, kLastToolbarElement - kFirstToolbarElement + 1>& Tips() {
    static std::array<std::string, kLastToolbarElement - kFirstToolbarElement + 1> tips = [] {
        std::array<std::string, kLastToolbarElement - kFirstToolbarElement + 1> t;
        for (int32_t i = 0; i < static_cast<int32_t>(t.size()); ++i) {
            std::string text = CommandText(kFirstElement + i);
            text = text.substr(0, text.find('\t'));
            std::erase(text, '&');
            t[i] = text;
        }
        return t;
    }();
    return tips;
}

} // namespace

std::span<const CommandEntry> MenuCommands() {
    return kCommands;
}

const char* CommandText(int32_t id) {
    auto it = TextById().find(id);
    return it == TextById().end() ? nullptr : it->second;
}

std::span<const MenuEntry> MenuBar() {
    return kMenuBar;
}

bool FileItemWithoutDocument(int32_t id) {
    return id == kFileNew || id == kFileOpen || id == kFilePrintSetup || id == kAppExit ||
           (id >= kFileMru1 && id < kFileMru1 + kRecentFileCount);
}

std::span<const int32_t> MainToolbar() {
    return kToolbar;
}

const char* ToolbarTip(int32_t toolbarId) {
    if (!IsToolbarElement(toolbarId)) return nullptr;
    return Tips()[toolbarId - kFirstToolbarElement].c_str();
}

std::span<const int32_t> SymbolsBarOrder() {
    return kSymbolsOrder;
}

uint8_t SymbolCode(int32_t symbolId) {
    return IsSymbol(symbolId) ? kSymbolCodes[symbolId - kFirstSymbol] : 0;
}
