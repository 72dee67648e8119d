// "文字コード修復…": the menu items, the dialog's rows (tick boxes, source
// encoding per row), storing the ticked values with their marks, undo, and a
// save that other programs read as Unicode.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "../../bench/EncodingCorpus.h"
#include "../core/FormatTestSupport.h"
#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/catalogue/MediaWriter.h"
#include "gui/text/FormRepair.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr TagKind V2 = TagKind::MP3ID3v2;
const std::string kTitle = "日本の夜明け";

template <typename D>
void Answer(const std::function<void(D&)>& fill, bool ok = true) {
  QTimer::singleShot(0, [fill, ok] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!dialog) return;
    fill(*dialog);
    (ok ? dialog->ButtonOk : dialog->ButtonCancel)->click();
  });
}

void Shot(QWidget* widget, const QString& name) {
  const QString dir = qEnvironmentVariable("HOZANKI_SCREENSHOT_DIR");
  if (!dir.isEmpty()) widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// A copy of plain.mp3 whose ID3v2 title holds `title` in a UTF-16 frame.
void WriteTitle(const MediaFolder& folder, const std::string& name, const std::string& title) {
  folder.Copy("mp3/plain.mp3", name);
  MediaFileEntry e = *ReadMediaFile(folder.Path(), name);
  TagRow& row = e.tags[1];
  row.cells[static_cast<size_t>(SubItemOf(V2, "INAM"))].text = title;
  row.state = kChecked;
  row.image = kChangedMark;
  std::string error;
  if (!WriteMediaFile(folder.Path(), e, WriteSettings{0, 1, 2, true}, &error)) qFatal("%s", error.c_str());
}

int RowOf(TFormMain& w, const std::string& name) {
  const auto& entries = w.CatalogueData().Entries(MediaFormat::MP3);
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].relativePath == name) return static_cast<int>(i);
  return -1;
}

const TagRow& V2Row(TFormMain& w, int row) {
  return TagOf(w.CatalogueData().Entries(MediaFormat::MP3).at(static_cast<size_t>(row)), V2);
}

}  // namespace

class TestRepairDialog : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  // The source column names what the bytes are: UTF-8 in an ISO-8859-1
  // frame says UTF-8, and choosing UTF-8 keeps the row; a close call between
  // ISO-8859-1 and code page 932 starts unticked.
  void sourceColumnNamesTheRealEncoding() {
    auto rowOf = [](const std::string& text, StoredForm form) {
      RepairRow row;
      row.fileName = "a.mp3";
      row.finding.current = text;
      row.finding.form = form;
      row.finding.diagnosis = DiagnoseText(text, form);
      row.chosen = row.finding.diagnosis.source;
      return row;
    };
    RepairModel m({rowOf("東京事変", StoredForm::kUtf8InLatin1Frame), rowOf("ﾚﾛ", StoredForm::kLegacyBytes)});
    QCOMPARE(m.index(0, RepairModel::kSource).data().toString(), QStringLiteral("UTF-8"));
    QVERIFY(m.index(0, RepairModel::kProposed).data(Qt::ToolTipRole).toString().contains(QStringLiteral("UTF-8")));
    QVERIFY(m.setData(m.index(0, RepairModel::kSource), 1, Qt::EditRole));  // UTF-8 chosen again
    QCOMPARE(m.index(0, RepairModel::kProposed).data().toString(), QStringLiteral("東京事変"));
    QVERIFY(m.Rows()[0].Applies());
    QCOMPARE(m.index(1, RepairModel::kSource).data().toString(), QStringLiteral("ISO-8859-1"));
    QCOMPARE(m.index(1, RepairModel::kProposed).data().toString(), QStringLiteral("ÚÛ"));
    QCOMPARE(m.index(1, RepairModel::kFile).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(m.TickedCount(), 1);
    // Read as Shift-JIS after all: the text it shows, nothing to change.
    QVERIFY(m.setData(m.index(1, RepairModel::kSource), 0, Qt::EditRole));
    QCOMPARE(m.index(1, RepairModel::kProposed).data().toString(), QStringLiteral("ﾚﾛ"));
  }

  void itemsInTheEditMenuAndBothPopups() {
    TFormMain w;
    for (const char* name : {"MenuEditRepair", "PopupFRepair", "PopupTRepair", "PopupRRepair"}) {
      QAction* item = Action(w, name);
      QVERIFY2(item, name);
      QCOMPARE(item->text(), QStringLiteral("文字コード修復(&K)…"));
    }
  }

  void dialogStoresTickedRowsAndUndoReadsTheFilesAgain() {
    MediaFolder folder;
    WriteTitle(folder, "garbled.mp3", corpus::ReadAsSingleByte(*EncodeCp932(kTitle), true));
    folder.Copy("mp3/sjis_id3v2.mp3", "legacy.mp3");
    WriteTitle(folder, "clean.mp3", "Motörhead");
    TFormMain w;
    LoadInto(w, folder.Path());
    w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
    const int garbled = RowOf(w, "garbled.mp3"), legacy = RowOf(w, "legacy.mp3"), clean = RowOf(w, "clean.mp3");
    const size_t title = static_cast<size_t>(SubItemOf(V2, "INAM"));
    const size_t artist = static_cast<size_t>(SubItemOf(V2, "IART"));
    const std::string legacyArtist = V2Row(w, legacy).cells[artist].text;

    int listed = 0;
    Answer<TFormRepair>([&](TFormRepair& d) {
      RepairModel& m = *d.Model();
      listed = m.rowCount();
      for (int r = 0; r < m.rowCount(); ++r) {
        const RepairRow& row = m.Rows()[static_cast<size_t>(r)];
        QVERIFY(row.fileName != "clean.mp3");
        if (row.fileName == "garbled.mp3") {
          QCOMPARE(m.index(r, RepairModel::kProposed).data().toString(), QString::fromStdString(kTitle));
          QCOMPARE(m.index(r, RepairModel::kSource).data().toString(), QStringLiteral("Shift-JIS"));
          // Another source reads the bytes differently; back to Shift-JIS.
          QVERIFY(m.setData(m.index(r, RepairModel::kSource), 1, Qt::EditRole));
          QVERIFY(m.index(r, RepairModel::kProposed).data().toString() != QString::fromStdString(kTitle));
          QVERIFY(m.setData(m.index(r, RepairModel::kSource), 0, Qt::EditRole));
        }
        // The legacy artist is left unticked.
        if (row.fileName == "legacy.mp3" && row.finding.field == "IART")
          QVERIFY(m.setData(m.index(r, RepairModel::kFile), Qt::Unchecked, Qt::CheckStateRole));
      }
      QCOMPARE(d.Summary->text(), QStringLiteral("%1 件中 %2 件を修復します").arg(listed).arg(listed - 1));
      d.resize(1000, 300);
      Shot(&d, QStringLiteral("FormRepair"));
    });
    Action(w, "PopupTRepair")->trigger();
    QCOMPARE(listed, 4);  // the garbled title; the legacy artist, title and comment

    QCOMPARE(V2Row(w, garbled).cells[title].text, kTitle);
    QCOMPARE(V2Row(w, garbled).cells[title].value, 1);
    QCOMPARE(V2Row(w, garbled).image, kChangedMark);
    QVERIFY(w.CatalogueData().Entries(MediaFormat::MP3)[static_cast<size_t>(garbled)].forceUnicode);
    QCOMPARE(V2Row(w, legacy).cells[title].value, 1);
    QCOMPARE(V2Row(w, legacy).cells[artist].value, 0);  // unticked
    QCOMPARE(V2Row(w, legacy).cells[artist].text, legacyArtist);
    QCOMPARE(V2Row(w, clean).image, kNoMark);

    // Undo reads the files again: the garbled text and no Unicode mark.
    w.TagTable(1)->selectAll();
    Action(w, "PopupTUndo")->trigger();
    QCOMPARE(V2Row(w, garbled).cells[title].text, corpus::ReadAsSingleByte(*EncodeCp932(kTitle), true));
    QCOMPARE(V2Row(w, garbled).image, kNoMark);
    QVERIFY(!w.CatalogueData().Entries(MediaFormat::MP3)[static_cast<size_t>(garbled)].forceUnicode);

    // Again, everything ticked, and saved: the files hold Unicode frames.
    w.TagTable(1)->clearSelection();
    Answer<TFormRepair>([](TFormRepair&) {});
    Action(w, "MenuEditRepair")->trigger();
    QVERIFY(SaveAndWait(w));
    QCOMPARE(TagOf(folder.Disk("garbled.mp3"), V2).cells[title].text, kTitle);
    QCOMPARE(TagOf(folder.Disk("legacy.mp3"), V2).cells[artist].text, legacyArtist);
    const std::string probe = test::RunCommand(
        "ffprobe -v error -show_entries format_tags=title -of default=nw=1 " +
        test::Quote(folder.Path() / "garbled.mp3"));
    if (!probe.empty()) QCOMPARE(probe, "TAG:title=" + kTitle + "\n");
    const std::string mutagen = test::RunCommand(
        "/usr/bin/python3 -c 'import sys\nfrom mutagen.id3 import ID3\nt=ID3(sys.argv[1])\n"
        "c=[f for f in t.getall(\"COMM\") if f.desc==\"\"]\n"
        "print(int(t[\"TPE1\"].encoding), int(t[\"TIT2\"].encoding), int(c[0].encoding), str(t[\"TIT2\"]))' " +
        test::Quote(folder.Path() / "legacy.mp3"));
    const std::string legacyTitle = TagOf(folder.Disk("legacy.mp3"), V2).cells[title].text;
    if (!mutagen.empty()) QCOMPARE(mutagen, "1 1 1 " + legacyTitle + "\n");

    // Nothing left to repair.
    bool told = false;
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        told = true;
        box->accept();
      }
    });
    Action(w, "PopupTRepair")->trigger();
    QVERIFY(told);
  }
};

QTEST_MAIN(TestRepairDialog)
#include "test_repair_dialog.moc"
