// Names that would collide are shown in the file list before saving (mark,
// tooltip, count in the status bar), and a swap of two names saves.

#include <QLabel>
#include <QMenu>
#include <QtTest>
#include <fstream>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/rename/RenamePattern.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/ImageListCheckBox.h"
#include "gui/catalogue/NameConflictWatch.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr TagKind V2 = TagKind::MP3ID3v2;
constexpr int kArtist = 10;  // pattern field kinds of MP3
constexpr int kExtension = 3;

QVariant MarkCell(TFormMain& w, int row, int role) {
  return w.FileList(0)->model()->index(row, 0).data(role);
}

QLabel* ConflictPanel(TFormMain& w) { return w.findChild<StatusBarPanels*>()->ConflictPanel(); }

}  // namespace

class TestRenameConflicts : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void patternGivingTwoRowsOneNameMarksBoth() {
    RenamePatternStore store;
    store[0] = {{"アーティスト", {PatternItem::Make(kArtist, kPatternWhole, {}),
                                 PatternItem::Make(kExtension, kPatternWhole, {})}}};
    QVERIFY(SaveRenamePatterns(std::filesystem::path(config_.path().toStdString()) / kRenamePatternFileName,
                               store));
    MediaFolder folder;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) folder.Copy("mp3/plain.mp3", name);
    std::ofstream(folder.Path() / "notes.txt") << "not listed";
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    const int artist = SubItemOf(V2, "IART");
    for (int r = 0; r < 3; ++r) SetCellValue(c, EditTarget::TagColumn(V2, artist), r, r < 2 ? "Same" : "Other");
    Action(w, "MenuFileModeR")->trigger();
    emit w.findChild<QMenu*>(QStringLiteral("PopupR"))->aboutToShow();
    w.FileList(0)->clearSelection();
    w.findChild<QMenu*>(QStringLiteral("PopupRForm"))
        ->findChild<QAction*>(QStringLiteral("PopupRFormItem0"))
        ->trigger();
    QCOMPARE(c.Entries(MediaFormat::MP3)[0].file.cells[0].text, std::string("Same.mp3"));

    // Both rows of the pair show the collision mark and name the other file;
    // the third keeps the plain changed mark.
    QTRY_COMPARE(MarkCell(w, 0, RowImageRole).toInt(), ImageListCheckBox::kConflictImage);
    QCOMPARE(MarkCell(w, 1, RowImageRole).toInt(), ImageListCheckBox::kConflictImage);
    QCOMPARE(MarkCell(w, 2, RowImageRole).toInt(), kChangedMark);
    QCOMPARE(MarkCell(w, 0, Qt::ToolTipRole).toString(), QStringLiteral("「Same.mp3」と同じ名前になります"));
    QVERIFY(MarkCell(w, 2, Qt::ToolTipRole).toString().isEmpty());
    QVERIFY(ConflictPanel(w)->isVisibleTo(&w));
    QVERIFY(ConflictPanel(w)->text().contains(QLatin1String("2")));

    // Typing another name into one clears both.
    QVERIFY(CommitCellEdit(c, EditTarget::FileNames(MediaFormat::MP3), 1, "Same (2).mp3"));
    QTRY_COMPARE(MarkCell(w, 0, RowImageRole).toInt(), kChangedMark);
    QCOMPARE(MarkCell(w, 1, RowImageRole).toInt(), kChangedMark);
    QVERIFY(!ConflictPanel(w)->isVisibleTo(&w));

    // A file of the folder that is not listed counts as well.
    QVERIFY(CommitCellEdit(c, EditTarget::FileNames(MediaFormat::MP3), 2, "notes.txt"));
    QTRY_COMPARE(MarkCell(w, 2, RowImageRole).toInt(), ImageListCheckBox::kConflictImage);
    QCOMPARE(MarkCell(w, 2, Qt::ToolTipRole).toString(), QStringLiteral("「notes.txt」と同じ名前になります"));

    // Saving renames the others and leaves the colliding one with the error mark.
    QVERIFY(SaveAndWait(w));
    QVERIFY(std::filesystem::exists(folder.Path() / "Same.mp3"));
    QVERIFY(std::filesystem::exists(folder.Path() / "Same (2).mp3"));
    QVERIFY(std::filesystem::exists(folder.Path() / "c.mp3"));
    QCOMPARE(folder.Bytes("notes.txt"), std::string("not listed"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[2].file.image, kErrorMark);
  }

  void swappingTwoNamesSaves() {
    MediaFolder folder;
    folder.Copy("mp3/plain.mp3", "a.mp3");
    folder.Copy("mp3/sjis_id3v1.mp3", "b.mp3");
    const std::string a = folder.Bytes("a.mp3"), b = folder.Bytes("b.mp3");
    TFormMain w;
    LoadInto(w, folder.Path());
    Catalogue& c = w.CatalogueData();
    Action(w, "MenuFileModeR")->trigger();
    QVERIFY(CommitCellEdit(c, EditTarget::FileNames(MediaFormat::MP3), 0, "b.mp3"));
    // Half-way the name is taken ...
    QTRY_COMPARE(MarkCell(w, 0, RowImageRole).toInt(), ImageListCheckBox::kConflictImage);
    QVERIFY(CommitCellEdit(c, EditTarget::FileNames(MediaFormat::MP3), 1, "a.mp3"));
    // ... and the swap is fine.
    QTRY_COMPARE(MarkCell(w, 0, RowImageRole).toInt(), kChangedMark);
    QCOMPARE(MarkCell(w, 1, RowImageRole).toInt(), kChangedMark);
    QVERIFY(SaveAndWait(w));
    QCOMPARE(folder.Bytes("a.mp3"), b);
    QCOMPARE(folder.Bytes("b.mp3"), a);
    for (int r = 0; r < 2; ++r) QCOMPARE(c.Entries(MediaFormat::MP3)[static_cast<size_t>(r)].file.image, kNoMark);
    QVERIFY(!std::filesystem::exists(std::filesystem::path(config_.path().toStdString()) / "hozanki-renames.log"));
  }
};

QTEST_MAIN(TestRenameConflicts)
#include "test_rename_conflicts.moc"
