// The "..." cut of the file-name cell in rename mode.

#include <QApplication>
#include <QFontMetrics>
#include <QtTest>

#include "GuiTestSupport.h"
#include "gui/catalogue/ElideText.h"

using hozanki::ElideAtEnd;

class TestElideText : public QObject {
  Q_OBJECT
 private slots:
  void cutsWholeCharactersOnly() {
    QFontMetrics fm(QApplication::font());
    const QString name = QStringLiteral("アニメ😀ソング e\u0301.mp3");
    QCOMPARE(ElideAtEnd(fm, name, fm.horizontalAdvance(name)), name);  // fits: unchanged
    for (int width = 0; width < fm.horizontalAdvance(name); width += 3) {
      const QString cut = ElideAtEnd(fm, name, width);
      QVERIFY(cut.endsWith(QStringLiteral("...")));
      const QString kept = cut.chopped(3);
      QVERIFY(!kept.isEmpty());
      QVERIFY(name.startsWith(kept));
      QVERIFY(!kept.back().isHighSurrogate());         // never half an emoji
      QVERIFY(name.at(kept.size()) != QChar(0x0301));  // never an accent without its letter
      // It fits unless only one character is left.
      if (kept.size() > 1 && !(kept.size() == 2 && kept.at(0).isHighSurrogate()))
        QVERIFY(fm.horizontalAdvance(cut) <= width);
    }
    QCOMPARE(ElideAtEnd(fm, name, -5), QStringLiteral("ア..."));
  }
};

int main(int argc, char** argv) {
  ScopedConfigDir config;
  QApplication app(argc, argv);
  TestElideText test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_elide_text.moc"
