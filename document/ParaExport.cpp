#include "document/ParaExport.h"

#include "document/ExportWriters.h"
#include "document/LatexWriter.h"
#include "document/ParaComp.h"
#include "document/RefSource.h"
#include "document/TypeTag.h"

namespace {

constexpr int32_t kCodeStyleId = 4;

// Whether every child is code text, which a source-code paragraph needs to stay code.
bool IsAllCode(const CompList& list) {
    for (int32_t i = 1; i <= list.GetCount(); ++i)
        if (list.GetAt(i)->GetStyleId() != kCodeStyleId) return false;
    return true;
}

bool StartsWithBlank(const CompList& list) {
    const TextComp* first = list.GetAt(1);
    return first && !first->IsNotChar() &&
           (first->GetCharCode() == ' ' || first->GetCharCode() == '\t');
}

void WriteChildren(CompList& list, LatexWriter& writer) {
    for (int32_t i = 1; i <= list.GetCount(); ++i)
        writer.WriteComponentChar(*list.GetAt(i), false);
}

} // namespace

void WriteParagraphLatex(ParaComp& para, LatexWriter& writer) {
    CompList& list = *para.GetList(1);
    const RefSource* source = para.GetNumberSource();
    int32_t kind = para.GetStyle().GetKind();

    if (para.IsEquation() && list.GetCount() == 1 && (!source || !source->IsReferenced()) &&
        list.GetAt(1)->GetTypeTag() == tags::EquationSet) {
        writer.BeginEqnarray();
        list.GetAt(1)->WriteLatex(writer);
        writer.EndEqnarray();
        return;
    }
    // A numbered style without its number source, or code that is not all code text, is
    // written as a plain paragraph.
    const bool numbered = kind == ParaStyle::kSection || kind == ParaStyle::kListEntry ||
                          kind == ParaStyle::kNumberedEquation;
    if ((numbered && !source) || (kind == ParaStyle::kSourceCode && !IsAllCode(list)))
        kind = ParaStyle::kParagraph;

    switch (kind) {
    case ParaStyle::kTitle:
        writer.BeginTitle();
        WriteChildren(list, writer);
        writer.EndTitle();
        break;
    case ParaStyle::kSection:
        writer.BeginSection();
        WriteChildren(list, writer);
        writer.EndSection(*source);
        break;
    case ParaStyle::kHeading:
        writer.BeginSubsection();
        WriteChildren(list, writer);
        writer.EndHeading();
        break;
    case ParaStyle::kListEntry:
        writer.BeginListItem(*source);
        WriteChildren(list, writer);
        writer.EndListItem(*source);
        break;
    case ParaStyle::kPlainEquation:
        writer.BeginDisplayMath();
        WriteChildren(list, writer);
        writer.EndDisplayMath();
        break;
    case ParaStyle::kNumberedEquation:
        writer.BeginEquation();
        WriteChildren(list, writer);
        writer.EndEquation(*source);
        break;
    case ParaStyle::kSourceCode:
        writer.BeginVerbatim();
        WriteChildren(list, writer);
        writer.NewLine();
        break;
    default:
        writer.BeginParagraph(StartsWithBlank(list));
        WriteChildren(list, writer);
        writer.EndParagraph();
        break;
    }
}

void WriteParagraphNotebook(ParaComp& para, NotebookWriter& writer) {
    switch (para.GetStyle().GetKind()) {
    case ParaStyle::kTitle:
        return writer.WriteTitle(para);
    case ParaStyle::kSection:
        return writer.WriteSection(para);
    case ParaStyle::kHeading:
        return writer.WriteSubsection(para);
    case ParaStyle::kPlainEquation:
        return writer.WriteDisplayFormula(para);
    case ParaStyle::kNumberedEquation:
        return writer.WriteNumberedEquation(para);
    case ParaStyle::kSourceCode:
        if (IsAllCode(*para.GetList(1))) return writer.WriteInputPara(para);
        return writer.WriteTextPara(para);
    default:
        return writer.WriteTextPara(para);
    }
}

void WriteParagraphPage(ParaComp& para, PageWriter& writer) {
    const CompList& list = *para.GetList(1);
    if (list.GetCount() == 1 &&
        (list.GetAt(1)->GetTypeTag() == tags::Metafile || list.GetAt(1)->IsPlot()))
        return writer.WriteImageParagraph(para);
    switch (para.GetStyle().GetKind()) {
    case ParaStyle::kTitle:
        return writer.WriteHeading1(para);
    case ParaStyle::kSection:
        return writer.WriteHeading2(para);
    case ParaStyle::kHeading:
        return writer.WriteHeading3(para);
    case ParaStyle::kListEntry:
        return writer.WriteListItem(para);
    case ParaStyle::kPlainEquation:
        return writer.WriteDisplayEquation(para);
    case ParaStyle::kNumberedEquation: {
        const RefSource* source = para.GetNumberSource();
        return writer.WriteNumberedEquation(para, source ? source->GetLabel() : Str31());
    }
    case ParaStyle::kSourceCode:
        if (IsAllCode(list)) return writer.WriteCodePara(para);
        return writer.WriteTextPara(para);
    default:
        return writer.WriteTextPara(para);
    }
}
