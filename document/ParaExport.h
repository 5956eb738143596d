#pragma once

// How a paragraph writes itself into the notebook and page exports: the writer operation its
// style chooses. (Its LaTeX is its own `WriteLatex`.)

class NotebookWriter;
class PageWriter;
class ParaComp;

void WriteParagraphNotebook(ParaComp& para, NotebookWriter& writer);
// A paragraph that holds only a picture or a plot is written as an image.
void WriteParagraphPage(ParaComp& para, PageWriter& writer);
