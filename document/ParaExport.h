#pragma once

// How a paragraph writes itself into each export: the writer operation its style chooses.

class LatexWriter;
class NotebookWriter;
class PageWriter;
class ParaComp;

// An equation paragraph that holds only an unreferenced equation set becomes one equation
// block; any other paragraph is its style's opening, every child, and its style's closing.
void WriteParagraphLatex(ParaComp& para, LatexWriter& writer);
void WriteParagraphNotebook(ParaComp& para, NotebookWriter& writer);
// A paragraph that holds only a picture or a plot is written as an image.
void WriteParagraphPage(ParaComp& para, PageWriter& writer);
