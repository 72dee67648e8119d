// Reordering rows by a real drag (press, move past the drag distance,
// release) in the lists built on InternalMoveTree: the list window's row
// editor and template library, and the compound edit's step list. A drop
// moves the dragged row and never removes it, and the library stays in step
// with its tree.
//
// The drag runs Qt's own drag loop, which the "offscreen" platform skips
// (its drags end at once with no drop); this program therefore runs on the
// "minimal" platform, whose drag is Qt's in-process one.

#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "GuiTestSupport.h"
#include "core/listout/StarterTemplates.h"
#include "gui/listout/FormListMain.h"
#include "gui/listout/TemplateLibraryTree.h"
#include "gui/listout/TemplateRowEditor.h"
#include "gui/text/CompoundStepList.h"

using namespace hozanki;

namespace {

QPoint CellCentre(QTreeWidget* tree, int row, int column) {
  return tree->visualRect(tree->model()->index(row, column)).center();
}

// Presses on `from`, moves past the drag distance and, inside the drag loop
// that starts, moves to `to` and releases there.
void DragRow(QAbstractItemView* view, QPoint from, QPoint to) {
  QWidget* viewport = view->viewport();
  bool dropped = false;
  QTimer::singleShot(50, viewport, [&] {
    QTest::mouseMove(viewport, to + QPoint(0, 2));
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    dropped = true;
  });
  QTest::mousePress(viewport, Qt::LeftButton, {}, from);
  const int step = QApplication::startDragDistance() + 2;
  QTest::mouseMove(viewport, from + QPoint(0, to.y() < from.y() ? -step : step));
  QTest::mouseMove(viewport, from + QPoint(0, to.y() < from.y() ? -2 * step : 2 * step));
  QTRY_VERIFY(dropped);
  QTest::qWait(20);
}

QStringList ItemColumn(QTreeWidget* tree, int column) {
  QStringList texts;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) texts << tree->topLevelItem(i)->text(column);
  return texts;
}

}  // namespace

class TestReorderDrag : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

  std::unique_ptr<TFormListMain> MakeWindow() {
    std::filesystem::remove(std::filesystem::path(config_.path().toStdString()) / kTemplateFileName);
    ListWindowHost host;
    host.settingsFolder = config_.path().toStdString();
    auto form = std::make_unique<TFormListMain>(std::move(host));
    form->ShowPage(TFormListMain::kListFormPage);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) qFatal("the list window is not shown");
    return form;
  }

 private slots:
  void rowEditorKeepsTheDraggedRow() {
    auto form = MakeWindow();
    form->TreeViewDblClick(0);  // M3U: テキスト, ファイルパス, ファイル名, テキスト
    TemplateRowEditor* editor = form->ListView;
    QCOMPARE(editor->topLevelItemCount(), 4);
    const std::vector<TemplateRow> before = editor->Rows();
    DragRow(editor, CellCentre(editor, 2, 1), CellCentre(editor, 1, 1));
    const std::vector<TemplateRow> after = editor->Rows();
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after[1].Item, before[2].Item);
    QCOMPARE(after[2].Item, before[1].Item);
    QCOMPARE(after[0], before[0]);
    QCOMPARE(after[3], before[3]);
  }

  void libraryTreeFollowsTheLibrary() {
    auto form = MakeWindow();
    TemplateLibraryTree* tree = form->TreeView;
    const int count = tree->topLevelItemCount();
    QVERIFY(count >= 4);
    tree->SelectIndex(3);
    const QString moved = tree->topLevelItem(3)->text(0);
    DragRow(tree, CellCentre(tree, 3, 0), CellCentre(tree, 0, 0));
    QCOMPARE(tree->topLevelItemCount(), count);
    QStringList library;
    for (const ListTemplate& t : form->Library().Templates()) library << QString::fromStdString(t.title);
    QCOMPARE(ItemColumn(tree, 0), library);
    QCOMPARE(library.value(0), moved);
    // Double-clicking an entry opens that entry.
    form->TreeViewDblClick(0);
    QCOMPARE(form->ListView->Rows(), form->Library().Templates()[0].rows);
    QVERIFY(form->MenuListSave->isEnabled());
  }

  void compoundStepsKeepTheDraggedStep() {
    CompoundStepList list;
    list.SetSteps({{0, "a", "1"}, {0, "b", "2"}, {0, "c", "3"}, {0, "d", "4"}});
    list.resize(400, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setCurrentItem(list.topLevelItem(3));
    DragRow(&list, CellCentre(&list, 3, 1), CellCentre(&list, 1, 1));
    QStringList firsts;
    for (const CompoundStep& s : list.Steps()) firsts << QString::fromStdString(s.first);
    QCOMPARE(firsts, QStringList({"a", "d", "b", "c"}));
  }
};

int main(int argc, char** argv) {
  // The platform is chosen before the application exists; see the head.
  qputenv("QT_QPA_PLATFORM", "minimal");
  QApplication app(argc, argv);
  TestReorderDrag test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_reorder_drag.moc"
