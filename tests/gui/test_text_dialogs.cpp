// "置換(&R)", "正規表現(&G)" and "部分参照(&S)" of the table popups on
// temporary copies of the fixtures: the cells they change and mark, the rows
// they leave alone, rename mode on whole names, the dialogs' OK rule, radio
// buttons, kept numbers and the history keys of "NR284.ini".

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/text/FormRegexp.h"
#include "gui/text/FormReplace.h"
#include "gui/text/FormSubstr.h"

using namespace hozanki;
using namespace testsupport;

namespace {

constexpr TagKind V2 = TagKind::MP3ID3v2;

const TagRow& V2Row(TFormMain& w, int row) {
  return TagOf(w.CatalogueData().Entries(MediaFormat::MP3).at(static_cast<size_t>(row)), V2);
}

std::string TextAt(TFormMain& w, int row, int subItem) {
  return V2Row(w, row).cells.at(static_cast<size_t>(subItem)).text;
}

// Puts a text into a cell as a load would: no marks.
void PutCell(TFormMain& w, int row, int subItem, const std::string& text) {
  w.CatalogueData().EditRow(MediaFormat::MP3, row, [&](MediaFileEntry& e) {
    TagRow& tag = e.tags.at(static_cast<size_t>(TagRowIndex(V2)));
    tag.cells.at(static_cast<size_t>(subItem)) = hozanki::Cell{text, 0};
    tag.image = kNoMark;
  });
}

// Answers the next modal dialog of type D with `fill`, then OK (or Cancel
// when `ok` is false).
template <typename D>
void Answer(const std::function<void(D&)>& fill, bool ok = true) {
  QTimer::singleShot(0, [fill, ok] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!dialog) return;
    fill(*dialog);
    (ok ? dialog->ButtonOk : dialog->ButtonCancel)->click();
  });
}

// With $HOZANKI_SCREENSHOT_DIR set, the dialog is saved there as a PNG.
void Shot(QWidget* widget, const QString& name) {
  const QString dir = qEnvironmentVariable("HOZANKI_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void Type(QComboBox* box, const QString& text) {
  box->setEditText(text);
}

// A window on five copies of an MP3 file, title column of MP3 ID3v2 as the
// edit column.
struct Fixture {
  MediaFolder folder;
  std::unique_ptr<TFormMain> w;
  int title = 0;

  Fixture() {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}) folder.Copy("mp3/plain.mp3", name);
    w = std::make_unique<TFormMain>();
    LoadInto(*w, folder.Path());
    title = SubItemOf(V2, "INAM");
    w->findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
    w->Tables().SetEditColumn(1, title + 1);
  }
};

}  // namespace

class TestTextDialogs : public QObject {
  Q_OBJECT
  ScopedConfigDir config_;

 private slots:
  void replaceChangesOpenSelectedRowsAndMarksThem() {
    Fixture f;
    TFormMain& w = *f.w;
    const int t = f.title;
    const char* texts[] = {"abc", "a.b", "xyz", "ABC", "abc"};
    for (int r = 0; r < 5; ++r) PutCell(w, r, t, texts[r]);
    w.CatalogueData().EditRow(MediaFormat::MP3, 4, [](MediaFileEntry& e) { e.tags[1].state = kUnavailable; });
    SelectRows(w.TagTable(1), {0, 2, 3, 4});

    // Case-sensitive; a trailing wildcard takes the rest of the text.
    Answer<TFormReplace>([](TFormReplace& d) {
      Type(d.ComboBoxRep1, QStringLiteral("a*"));
      Type(d.ComboBoxRep2, QStringLiteral("[\\1]"));
      d.CheckBoxUL->setChecked(true);
      QVERIFY(QTest::qWaitForWindowActive(&d));
      d.ComboBoxRep2->setFocus();
      Shot(&d, QStringLiteral("FormReplace"));
    });
    Action(w, "PopupTReplace")->trigger();
    QCOMPARE(TextAt(w, 0, t), std::string("[bc]"));
    QCOMPARE(V2Row(w, 0).cells[static_cast<size_t>(t)].value, 1);
    QCOMPARE(V2Row(w, 0).image, kChangedMark);
    QCOMPARE(V2Row(w, 0).state, kChecked);
    QCOMPARE(TextAt(w, 1, t), std::string("a.b"));  // not selected
    QCOMPARE(TextAt(w, 3, t), std::string("ABC"));  // case differs
    QCOMPARE(V2Row(w, 3).image, kNoMark);           // nothing stored, nothing marked
    QCOMPARE(V2Row(w, 2).image, kNoMark);
    QCOMPARE(TextAt(w, 4, t), std::string("abc"));  // unavailable row
    QCOMPARE(V2Row(w, 4).image, kNoMark);

    auto* dialog = w.findChild<TFormReplace*>();
    QVERIFY(dialog);
    QCOMPARE(dialog->ComboBoxRep1->itemText(0), QStringLiteral("a*"));
    QCOMPARE(dialog->ComboBoxRep2->itemText(0), QStringLiteral("[\\1]"));
    // No selection: every open row; letter case ignored; an empty
    // replacement deletes and stays out of the history.
    w.TagTable(1)->clearSelection();
    Answer<TFormReplace>([](TFormReplace& d) {
      // The focus is back on the search text.
      QVERIFY(QTest::qWaitForWindowActive(&d));
      QVERIFY(d.ComboBoxRep1->hasFocus() || d.ComboBoxRep1->isAncestorOf(QApplication::focusWidget()));
      QCOMPARE(d.ComboBoxRep1->currentText(), QStringLiteral("a*"));  // the texts of the last use
      Type(d.ComboBoxRep1, QStringLiteral("B"));
      Type(d.ComboBoxRep2, QString());
      d.CheckBoxUL->setChecked(false);
    });
    Action(w, "PopupTReplace")->trigger();
    QCOMPARE(TextAt(w, 0, t), std::string("[c]"));
    QCOMPARE(TextAt(w, 1, t), std::string("a."));
    QCOMPARE(TextAt(w, 3, t), std::string("AC"));
    QCOMPARE(V2Row(w, 1).image, kChangedMark);
    QCOMPARE(TextAt(w, 4, t), std::string("abc"));
    QCOMPARE(w.TagTable(1)->selectionModel()->selectedRows().size(), qsizetype(5));
    QCOMPARE(dialog->ComboBoxRep1->count(), 2);
    QCOMPARE(dialog->ComboBoxRep1->itemText(0), QStringLiteral("B"));
    QCOMPARE(dialog->ComboBoxRep2->count(), 1);

    // Cancel and an empty search change nothing.
    Answer<TFormReplace>([](TFormReplace& d) { Type(d.ComboBoxRep1, QStringLiteral("*")); }, false);
    Action(w, "PopupTReplace")->trigger();
    Answer<TFormReplace>([](TFormReplace& d) {
      Type(d.ComboBoxRep1, QString());
      Type(d.ComboBoxRep2, QStringLiteral("X"));
    });
    Action(w, "PopupTReplace")->trigger();
    QCOMPARE(TextAt(w, 0, t), std::string("[c]"));
    QCOMPARE(TextAt(w, 2, t), std::string("xyz"));
    QCOMPARE(w.findChildren<TFormReplace*>().size(), qsizetype(1));  // one dialog for the run
  }

  void selectAllBoxTakesEveryRow() {
    Fixture f;
    TFormMain& w = *f.w;
    for (int r = 0; r < 5; ++r) PutCell(w, r, f.title, "x" + std::to_string(r));
    SelectRows(w.TagTable(1), {1});
    Answer<TFormSubstr>([](TFormSubstr& d) {
      d.CheckBoxAll->setChecked(true);
      d.Edit1->setValue(1);
    });
    Action(w, "PopupTSubstr")->trigger();
    for (int r = 0; r < 5; ++r) QCOMPARE(TextAt(w, r, f.title), std::to_string(r));
    QCOMPARE(w.TagTable(1)->selectionModel()->selectedRows().size(), qsizetype(5));
  }

  void regexpOkFollowsThePatternCheck() {
    TFormRegexp d(std::filesystem::path{});
    QVERIFY(!d.ButtonOk->isEnabled());
    for (const char* good : {"s/a/b/", "s/a//g", "tr/a-z/A-Z/", "s/a\\/b/c/"}) {
      Type(d.ComboBoxReg, QString::fromUtf8(good));
      QVERIFY2(d.ButtonOk->isEnabled(), good);
    }
    for (const char* bad : {"s//b/", "s/a/b", "m/a/", "s/a/b/c/", ""}) {
      Type(d.ComboBoxReg, QString::fromUtf8(bad));
      QVERIFY2(!d.ButtonOk->isEnabled(), bad);
    }
    // The radio buttons show the kind and rewrite the text.
    Type(d.ComboBoxReg, QStringLiteral("tr/a/b/"));
    QVERIFY(d.RadioButtonRegTr->isChecked() && !d.RadioButtonRegS->isChecked());
    Type(d.ComboBoxReg, QStringLiteral("xyz"));
    QVERIFY(!d.RadioButtonRegTr->isChecked() && !d.RadioButtonRegS->isChecked());
    d.RadioButtonRegS->click();
    QCOMPARE(d.ComboBoxReg->currentText(), QStringLiteral("s/xyz//"));
    QVERIFY(d.RadioButtonRegS->isChecked() && d.ButtonOk->isEnabled());
    d.RadioButtonRegTr->click();
    QCOMPARE(d.ComboBoxReg->currentText(), QStringLiteral("tr/xyz//"));
    QVERIFY(d.RadioButtonRegTr->isChecked() && !d.RadioButtonRegS->isChecked());
    d.RadioButtonRegTr->click();  // a second click keeps the kind
    QCOMPARE(d.ComboBoxReg->currentText(), QStringLiteral("tr/xyz//"));
    QVERIFY(d.RadioButtonRegTr->isChecked());
    Type(d.ComboBoxReg, QString());
    d.RadioButtonRegS->click();
    QCOMPARE(d.ComboBoxReg->currentText(), QStringLiteral("s///"));
    QVERIFY(!d.ButtonOk->isEnabled());
  }

  void regexpSubstitutesAndTransliterates() {
    Fixture f;
    TFormMain& w = *f.w;
    const int t = f.title;
    const char* texts[] = {"Artist - Title", "plain", "One - Two", "", "x - y"};
    for (int r = 0; r < 5; ++r) PutCell(w, r, t, texts[r]);
    w.CatalogueData().EditRow(MediaFormat::MP3, 4, [](MediaFileEntry& e) { e.tags[1].image = kErrorMark; });
    SelectRows(w.TagTable(1), {0, 1, 4});
    Answer<TFormRegexp>([](TFormRegexp& d) {
      Type(d.ComboBoxReg, QStringLiteral("s/(.+) - (.+)/$2 - $1/k"));
      Shot(&d, QStringLiteral("FormRegexp"));
    });
    Action(w, "PopupTRegexp")->trigger();
    QCOMPARE(TextAt(w, 0, t), std::string("Title - Artist"));
    QCOMPARE(V2Row(w, 0).image, kChangedMark);
    QCOMPARE(TextAt(w, 1, t), std::string("plain"));
    QCOMPARE(V2Row(w, 1).image, kNoMark);
    QCOMPARE(TextAt(w, 2, t), std::string("One - Two"));  // not selected
    QCOMPARE(TextAt(w, 4, t), std::string("x - y"));      // error mark
    QCOMPARE(V2Row(w, 4).image, kErrorMark);

    // A pattern of the right form that the library rejects changes nothing.
    Answer<TFormRegexp>([](TFormRegexp& d) {
      Type(d.ComboBoxReg, QStringLiteral("s/(/x/"));
      QVERIFY(d.ButtonOk->isEnabled());
    });
    Action(w, "PopupTRegexp")->trigger();
    QCOMPARE(TextAt(w, 0, t), std::string("Title - Artist"));
    QCOMPARE(TextAt(w, 1, t), std::string("plain"));
    QCOMPARE(V2Row(w, 1).image, kNoMark);

    Answer<TFormRegexp>([](TFormRegexp& d) { Type(d.ComboBoxReg, QStringLiteral("tr/a-z/A-Z/")); });
    Action(w, "PopupTRegexp")->trigger();
    QCOMPARE(TextAt(w, 1, t), std::string("PLAIN"));
    auto* dialog = w.findChild<TFormRegexp*>();
    QCOMPARE(dialog->ComboBoxReg->itemText(0), QStringLiteral("tr/a-z/A-Z/"));
    QCOMPARE(dialog->ComboBoxReg->itemText(1), QStringLiteral("s/(/x/"));
    QCOMPARE(dialog->ComboBoxReg->count(), 3);
  }

  void matchLimitIsReportedAndLeavesTheCell() {
    Fixture f;
    TFormMain& w = *f.w;
    const int t = f.title;
    // (a+)+$ backtracks past PCRE2's match limit on a run of a's that does not end the text.
    const std::string tooHard = std::string(30, 'a') + "b";
    const std::string texts[] = {tooHard, "aa", tooHard, "aab", "a"};
    for (int r = 0; r < 5; ++r) PutCell(w, r, t, texts[r]);
    w.TagTable(1)->clearSelection();
    Answer<TFormRegexp>([](TFormRegexp& d) { Type(d.ComboBoxReg, QStringLiteral("s/(a+)+$/x/")); });
    Action(w, "PopupTRegexp")->trigger();
    QCOMPARE(TextAt(w, 1, t), std::string("x"));
    QCOMPARE(TextAt(w, 4, t), std::string("x"));
    for (int r : {0, 2}) {
      QCOMPARE(TextAt(w, r, t), tooHard);
      QCOMPARE(V2Row(w, r).image, kNoMark);
    }
    auto* box = w.findChild<QMessageBox*>(QStringLiteral("TextCommandFailures"));
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY2(box->text().contains(QStringLiteral("1 行目 a.mp3")) &&
                 box->text().contains(QStringLiteral("3 行目 c.mp3")),
             qPrintable(box->text()));
    QVERIFY(!box->text().contains(QStringLiteral("2 行目")));
    QVERIFY2(box->text().contains(QStringLiteral("手間がかかりすぎる")), qPrintable(box->text()));
    Shot(box, QStringLiteral("TextCommandFailures"));
    box->close();
    QTRY_VERIFY(!w.findChild<QMessageBox*>(QStringLiteral("TextCommandFailures")));

    // Replace: thirty optional characters before a digit, on a text without one.
    PutCell(w, 3, t, std::string(40, 'a'));
    SelectRows(w.TagTable(1), {1, 3});
    Answer<TFormReplace>([](TFormReplace& d) {
      Type(d.ComboBoxRep1, QString(30, QLatin1Char('?')) + QStringLiteral("\\d"));
      Type(d.ComboBoxRep2, QStringLiteral("y"));
    });
    Action(w, "PopupTReplace")->trigger();
    QCOMPARE(TextAt(w, 3, t), std::string(40, 'a'));
    QCOMPARE(V2Row(w, 3).image, kNoMark);
    box = w.findChild<QMessageBox*>(QStringLiteral("TextCommandFailures"));
    QVERIFY(box);
    QVERIFY2(box->text().contains(QStringLiteral("4 行目 d.mp3")), qPrintable(box->text()));
    QVERIFY(!box->text().contains(QStringLiteral("2 行目")));
    box->close();

    // Nothing fails: no message.
    Answer<TFormRegexp>([](TFormRegexp& d) { Type(d.ComboBoxReg, QStringLiteral("s/x/z/")); });
    Action(w, "PopupTRegexp")->trigger();
    QCOMPARE(TextAt(w, 1, t), std::string("z"));
    QTRY_VERIFY(!w.findChild<QMessageBox*>(QStringLiteral("TextCommandFailures")));
  }

  void substringKeepsItsNumbersForTheRun() {
    Fixture f;
    TFormMain& w = *f.w;
    PutCell(w, 0, f.title, "abcdef");
    PutCell(w, 1, f.title, "abcdef");
    SelectRows(w.TagTable(1), {0});
    Answer<TFormSubstr>([](TFormSubstr& d) {
      QCOMPARE(d.Edit1->value(), 0);
      QCOMPARE(d.Edit2->value(), 0);
      d.Edit1->setValue(-2);
      Shot(&d, QStringLiteral("FormSubstr"));
    });
    Action(w, "PopupTSubstr")->trigger();
    QCOMPARE(TextAt(w, 0, f.title), std::string("ef"));
    SelectRows(w.TagTable(1), {1});
    Answer<TFormSubstr>([](TFormSubstr& d) {
      QCOMPARE(d.Edit1->value(), -2);
      d.Edit1->setValue(2);
      d.Edit2->setValue(4);
    });
    Action(w, "PopupTSubstr")->trigger();
    QCOMPARE(TextAt(w, 1, f.title), std::string("cd"));
    QCOMPARE(V2Row(w, 1).image, kChangedMark);

    TFormSubstr d;
    QCOMPARE(d.Edit1->minimum(), -127);
    QCOMPARE(d.Edit2->maximum(), 127);
    QCOMPARE(d.Edit1->findChild<QLineEdit*>()->maxLength(), 4);
  }

  void renameModeWorksOnTheWholeName() {
    Fixture f;
    TFormMain& w = *f.w;
    Action(w, "MenuFileModeR")->trigger();
    QVERIFY(w.IsRenameMode());
    Catalogue& c = w.CatalogueData();
    auto name = [&](int row) {
      return c.Entries(MediaFormat::MP3).at(static_cast<size_t>(row)).file.cells[0].text;
    };
    QCOMPARE(name(0), std::string("a.mp3"));
    SelectRows(w.FileList(0), {0, 1});
    Answer<TFormReplace>([](TFormReplace& d) {
      Type(d.ComboBoxRep1, QStringLiteral("*.mp3"));
      Type(d.ComboBoxRep2, QStringLiteral("\\1 (x).MP3"));
    });
    Action(w, "PopupRReplace")->trigger();
    QCOMPARE(name(0), std::string("a (x).MP3"));
    QCOMPARE(name(1), std::string("b (x).MP3"));
    QCOMPARE(c.Entries(MediaFormat::MP3)[1].file.image, kChangedMark);
    QCOMPARE(name(2), std::string("c.mp3"));

    SelectRows(w.FileList(0), {2});
    Answer<TFormRegexp>([](TFormRegexp& d) { Type(d.ComboBoxReg, QStringLiteral("s/\\.mp3$/.wav/")); });
    Action(w, "PopupRRegexp")->trigger();
    QCOMPARE(name(2), std::string("c.wav"));

    SelectRows(w.FileList(0), {3});
    Answer<TFormSubstr>([](TFormSubstr& d) {
      d.Edit1->setValue(0);
      d.Edit2->setValue(-4);
    });
    Action(w, "PopupRSubstr")->trigger();
    QCOMPARE(name(3), std::string("d"));
    QCOMPARE(name(4), std::string("e.mp3"));
  }

  void historiesAreReadAtCreationAndWrittenAtTheEnd() {
    const std::filesystem::path ini = std::filesystem::path(config_.path().toStdString()) / kSettingsFileName;
    {
      IniFile file = IniFile::Load(ini);
      file.EraseSection("Replace");
      file.EraseSection("Regexp");
      file.WriteInteger("Replace", "CountB", 2);
      file.WriteString("Replace", "B1", "old1");
      file.WriteString("Replace", "B2", "old2");
      file.WriteString("Replace", "B7", "beyond");
      file.WriteBool("Replace", "CharUL", true);
      file.WriteInteger("Regexp", "Count", 1);
      file.WriteString("Regexp", "P1", "s/p/q/");
      QVERIFY(file.Save(ini));
    }
    {
      Fixture f;
      Answer<TFormReplace>([](TFormReplace& d) {
        QCOMPARE(d.ComboBoxRep1->count(), 2);
        QCOMPARE(d.ComboBoxRep1->itemText(0), QStringLiteral("old1"));
        QCOMPARE(d.ComboBoxRep1->itemText(1), QStringLiteral("old2"));
        QCOMPARE(d.ComboBoxRep2->count(), 0);
        QVERIFY(d.CheckBoxUL->isChecked());
        Type(d.ComboBoxRep1, QStringLiteral("OLD2"));  // moves to the top as typed
        Type(d.ComboBoxRep2, QStringLiteral("新しい"));
        d.CheckBoxUL->setChecked(false);
      });
      Action(*f.w, "PopupTReplace")->trigger();
      Answer<TFormRegexp>([](TFormRegexp& d) {
        QCOMPARE(d.ComboBoxReg->itemText(0), QStringLiteral("s/p/q/"));
        Type(d.ComboBoxReg, QStringLiteral("tr/a/b/"));
      });
      Action(*f.w, "PopupTRegexp")->trigger();
      // Nothing is written before the window goes.
      QCOMPARE(IniFile::Load(ini).ReadString("Replace", "B1"), std::string("old1"));
    }
    const IniFile file = IniFile::Load(ini);
    QCOMPARE(file.ReadInteger("Replace", "CountB", -1), 2);
    QCOMPARE(file.ReadString("Replace", "B1"), std::string("OLD2"));
    QCOMPARE(file.ReadString("Replace", "B2"), std::string("old1"));
    QCOMPARE(file.ReadString("Replace", "B7"), std::string("beyond"));
    QCOMPARE(file.ReadInteger("Replace", "CountA", -1), 1);
    QCOMPARE(file.ReadString("Replace", "A1"), std::string("新しい"));
    QCOMPARE(file.ReadBool("Replace", "CharUL", true), false);
    QCOMPARE(file.ReadInteger("Regexp", "Count", -1), 2);
    QCOMPARE(file.ReadString("Regexp", "P1"), std::string("tr/a/b/"));
    QCOMPARE(file.ReadString("Regexp", "P2"), std::string("s/p/q/"));

    // A new run reads them back.
    TFormReplace again(config_.path().toStdString());
    QCOMPARE(again.ComboBoxRep1->itemText(0), QStringLiteral("OLD2"));
    QCOMPARE(again.ComboBoxRep2->itemText(0), QStringLiteral("新しい"));
    QVERIFY(!again.CheckBoxUL->isChecked());
  }
};

QTEST_MAIN(TestTextDialogs)
#include "test_text_dialogs.moc"
