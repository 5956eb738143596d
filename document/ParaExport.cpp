#include "document/ParaExport.h"

#include "document/ExportWriters.h"
#include "document/ParaComp.h"
#include "document/RefSource.h"
#include "document/TypeTag.h"

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
        if (para.IsAllCode()) return writer.WriteInputPara(para);
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
        if (para.IsAllCode()) return writer.WriteCodePara(para);
        return writer.WriteTextPara(para);
    default:
        return writer.WriteTextPara(para);
    }
}
