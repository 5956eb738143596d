// Every damaged document of the set (document/tests/fixtures/damaged) goes all the way through
// the editor as a person would take it, each in a process of its own held to a memory and a time
// limit: opened, its window placed, laid out and drawn to its end, printed to PDF, and exported
// in every format of the Export menu (the notebook's formulas through the stand-in kernel). Each
// step ends in a clean result or a clean error: never a crash, a sanitizer's report, an
// unbounded allocation or a hang. A damaged file dropped into the folder is taken the same way.
//
// The memory limit: under AddressSanitizer the process reserves terabytes of shadow memory at
// its start, which every limit on address space or data (ulimit -v, RLIMIT_AS, RLIMIT_DATA)
// counts, so there the sanitizer's own limits hold it: an attempt to allocate more than 256 MB at
// once is reported as an error on the spot, and the process is ended once more than 1 GB of it is
// resident (a document takes about 400 MB under the sanitizer). Without the sanitizer
// RLIMIT_DATA holds it to 2 GB (that limit counts memory reserved, not only memory touched). The
// time limit is an alarm that ends the process, naming the step it was in. Both are set once the
// kernel runs, so the kernel keeps its own.

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/DocumentPrinter.h"
#include "app/MainFrame.h"
#include "app/TessaryView.h"
#include "app/WindowHost.h"
#include "app/tests/KernelAppFixture.h"
#include "document/PictureSize.h"
#include "export/tests/PictureFileSize.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARY_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESSARY_UNDER_ASAN 1
#endif

#ifdef TESSARY_UNDER_ASAN
// Read by the sanitizer as the process starts; options given in ASAN_OPTIONS come on top.
extern "C" const char* __asan_default_options() {
    return "max_allocation_size_mb=256:hard_rss_limit_mb=1024";
}
#endif

namespace {

constexpr unsigned kSecondsPerDocument = 60;

// The step a document is in, for the alarm's last words.
std::atomic<const char*> gStep{"starting"};

void OnAlarm(int) {
    constexpr char kPrefix[] = "The damaged document ran out of time while ";
    const char* step = gStep.load();
    size_t length = 0;
    while (step[length] != '\0')
        ++length;
    ssize_t ignored = ::write(STDERR_FILENO, kPrefix, sizeof kPrefix - 1);
    ignored = ::write(STDERR_FILENO, step, length);
    ignored = ::write(STDERR_FILENO, ".\n", 2);
    (void)ignored;
    ::_exit(3);
}

void HoldToLimits() {
#ifndef TESSARY_UNDER_ASAN
    constexpr rlim_t kDataLimit = rlim_t{2048} << 20;
    const rlimit data{kDataLimit, kDataLimit};
    ASSERT_EQ(::setrlimit(RLIMIT_DATA, &data), 0);
#endif
    ::signal(SIGALRM, OnAlarm);
    ::alarm(kSecondsPerDocument);
}

// The most the process has held, in MB.
long PeakResidentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    return -1;
}

std::vector<std::string> DamagedDocuments() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(TESSARY_DAMAGED_DOCUMENTS))
        if (entry.path().extension() == ".tsy") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct ExportRow {
    const char* name;
    int32_t command;
    const char* extension;
    const char* step;
};
constexpr ExportRow kExports[] = {
    {"latex", cmd::kExportLatex, ".tex", "exporting it as LaTeX"},
    {"techexplorer", cmd::kExportTechExplorer, ".tcx", "exporting it for TechExplorer"},
    {"notebook", cmd::kExportNotebook, ".nb", "exporting it as a notebook"},
    {"mathml", cmd::kExportMathMl, ".xml", "exporting it as XHTML with MathML"},
    {"html", cmd::kExportHtml, ".htm", "exporting it as HTML"},
};

class DamagedDocumentTest : public kernelapp::KernelAppTest,
                            public ::testing::WithParamInterface<std::string> {
protected:
    void TearDown() override {
        ::alarm(0);
        KernelAppTest::TearDown();
    }
    static void Step(const char* step) { gStep = step; }
};

TEST_P(DamagedDocumentTest, OpensDrawsPrintsAndExportsWithinItsLimits) {
    const std::string name = GetParam();
    ASSERT_TRUE(StartFromMenu()) << (messages.empty() ? "" : messages[0].toStdString());
    HoldToLimits();
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    frame->resize(900, 600);
    frame->show();
    QCoreApplication::processEvents();

    Step("opening it");
    const size_t framesBefore = frame->Frames().size();
    const size_t saidBefore = messages.size();
    ChildFrame* child =
        app->OpenDocument(QStringLiteral(TESSARY_DAMAGED_DOCUMENTS "/%1.tsy").arg(name.c_str()));
    if (child == nullptr) {
        // A clean error: said once, and no window for it.
        EXPECT_EQ(messages.size(), saidBefore + 1);
        EXPECT_EQ(frame->Frames().size(), framesBefore);
        return;
    }
    QCoreApplication::processEvents();

    Step("placing its window");
    child->showNormal();
    QCoreApplication::processEvents();
    const QRect area = frame->MdiArea()->viewport()->rect();
    EXPECT_TRUE(area.contains(child->geometry()))
        << "window at " << child->geometry().x() << "," << child->geometry().y() << " "
        << child->geometry().width() << "x" << child->geometry().height();
    child->showMaximized();
    QCoreApplication::processEvents();

    Step("laying it out and drawing it");
    TessaryView* view = child->View();
    QScrollBar* bar = view->verticalScrollBar();
    for (int at = 0;; at = std::min(bar->maximum(), at + bar->pageStep())) {
        bar->setValue(at);
        QCoreApplication::processEvents();
        if (at == bar->maximum()) break;
    }
    const QImage drawn = view->grab().toImage();
    EXPECT_FALSE(drawn.isNull());
    drawn.save(shelltest::OutputPath(QStringLiteral("damaged-%1.png").arg(name.c_str())));
    bar->setValue(0);

    Step("printing it");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("printed.pdf")));
    EXPECT_GT(PrintDocumentView(*view, printer), 0);
    EXPECT_GT(QFileInfo(out.filePath(QStringLiteral("printed.pdf"))).size(), 0);

    for (const ExportRow& row : kExports) {
        SCOPED_TRACE(row.name);
        Step(row.step);
        const QString folder = out.filePath(QString::fromLatin1(row.name));
        ASSERT_TRUE(QDir().mkpath(folder));
        child->Host().askSaveFileName = [&](const std::string& proposed) {
            return std::optional<std::string>((folder + QLatin1Char('/')).toStdString() + proposed);
        };
        ASSERT_TRUE(Enabled(row.command));
        const size_t said = messages.size();
        Choose(row.command);
        QStringList files = QDir(folder).entryList(QDir::Files);
        const auto exported = std::find_if(files.begin(), files.end(), [&](const QString& file) {
            return file.endsWith(QString::fromLatin1(row.extension));
        });
        if (exported == files.end()) {
            // A clean error: said, and nothing left behind.
            EXPECT_GT(messages.size(), said);
            EXPECT_TRUE(files.isEmpty()) << files.join(' ').toStdString();
            continue;
        }
        // A clean result: the export and its pictures, each within the image limits.
        EXPECT_GT(QFileInfo(folder + QLatin1Char('/') + *exported).size(), 0);
        files.erase(exported);
        for (const QString& file : files) {
            SCOPED_TRACE(file.toStdString());
            const QSize size = picturetest::PictureFileSize(folder + QLatin1Char('/') + file);
            EXPECT_GT(size.width(), 0) << "a picture of the export, nothing else";
            EXPECT_LE(size.width(), kLargestImageSide);
            EXPECT_LE(size.height(), kLargestImageSide);
            EXPECT_LE(int64_t{size.width()} * size.height(), kLargestImageArea);
        }
    }
    Step("closing it");
    RecordProperty("peak_resident_mb", static_cast<int>(PeakResidentMb()));
}

INSTANTIATE_TEST_SUITE_P(Set, DamagedDocumentTest, ::testing::ValuesIn(DamagedDocuments()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
