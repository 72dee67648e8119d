// The list window over 10,000 MP3 rows of the main window (headless): the
// user selects every file and picks them ("ファイル選択"), then previews them
// through an eight-row template with a loop block, one substring row and
// one regular-expression row. Goal: each under 1 s, with the window shown
// and the event loop run after each step so that repainting counts.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>

#include "BenchTemplates.h"
#include "core/listout/ListEngine.h"
#include "gui/app/FormMain.h"
#include "gui/listout/FormListMain.h"
#include "gui/listout/ListWindowCommands.h"
#include "gui/listout/PickedFileModel.h"
#include "gui/listout/TemplateRowEditor.h"

using namespace hozanki;

namespace {

constexpr int kRows = 10000;

std::vector<MediaFileEntry> Rows() {
  std::vector<MediaFileEntry> rows(kRows);
  for (int i = 0; i < kRows; ++i) {
    MediaFileEntry& e = rows[static_cast<size_t>(i)];
    e.format = MediaFormat::MP3;
    e.relativePath = "アルバム " + std::to_string(i % 37) + "/" + std::to_string(i) + " 曲名のファイル.mp3";
    e.file.cells.resize(9);
    e.file.cells[0].text = std::to_string(i) + " 曲名のファイル.mp3";
    e.file.cells[1].text = "4,123,456";
    e.file.cells[2].text = "2024/01/02 03:04:05";
    e.file.cells[3].value = 180 + i % 120;
    e.file.cells[3].text = FormatPlayTime(e.file.cells[3].value).substr(2);
    e.file.cells[5].text = "○";
    e.file.cells[8].text = "MPEG1 Layer3 128kbps 44100Hz Joint Stereo";
    e.tags.resize(4);
    for (TagRow& row : e.tags) {
      row.cells.resize(15);
      row.cells[0].text = e.relativePath.string();
    }
    e.tags[1].cells[1].text = "Artist  Name  " + std::to_string(i % 500);
    e.tags[1].cells[2].text = "タイトル Title number " + std::to_string(i);
    e.tags[1].cells[3].text = "アルバム " + std::to_string(i % 37);
  }
  return rows;
}


struct Window {
  Window() {
    // The first idle moment opens the remembered folder: an empty one.
    qputenv("HOZANKI_CONFIG_DIR", config.path().toLocal8Bit());
    QDir(config.path()).mkdir(QStringLiteral("empty"));
    QFile ini(config.path() + QStringLiteral("/NR284.ini"));
    if (ini.open(QIODevice::WriteOnly))
      ini.write("[Window]\r\nDir=" + config.path().toLocal8Bit() + "/empty\r\n");
    ini.close();
    window = std::make_unique<TFormMain>();
    window->show();
    while (window->SyncRequest() == -1 || window->IsBusy())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window->CatalogueData().Append(MediaFormat::MP3, Rows());
    window->FileList(0)->selectAll();
    QCoreApplication::processEvents();
    form = window->ListWindow().OpenFormListMain();
    QCoreApplication::processEvents();
  }
  QTemporaryDir config;
  std::unique_ptr<TFormMain> window;
  TFormListMain* form = nullptr;
};

void BM_PickTenThousandFiles(benchmark::State& state) {
  Window w;
  for (auto _ : state) {
    state.PauseTiming();
    w.form->ShowPage(TFormListMain::kListupPage);
    w.form->MenuListClearClick();
    QCoreApplication::processEvents();
    state.ResumeTiming();
    w.form->MenuListSelectClick();
    QCoreApplication::processEvents();
  }
  if (w.form->Picked().Count() != kRows || w.form->StatusPanelText(2) != QString::number(kRows))
    state.SkipWithError("the files were not picked");
  state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_PreviewTenThousandFiles(benchmark::State& state) {
  Window w;
  w.form->MenuListSelectClick();
  w.form->ListView->SetRows(bench::EightRowTemplate());
  for (auto _ : state) {
    state.PauseTiming();
    w.form->ShowPage(TFormListMain::kListFormPage);
    QCoreApplication::processEvents();
    state.ResumeTiming();
    w.form->MenuListPreviewClick();
    QCoreApplication::processEvents();
  }
  if (w.form->RichEditPreview->blockCount() != kRows + 1) state.SkipWithError("the preview is short");
  state.SetItemsProcessed(state.iterations() * kRows);
}

}  // namespace

BENCHMARK(BM_PickTenThousandFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_PreviewTenThousandFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
