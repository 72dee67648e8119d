#include "gui/tagedit/FormReading.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hozanki {
namespace {

const QColor kUnknownColor(255, 224, 224);

}  // namespace

TFormReading::TFormReading(const std::vector<ColumnChoice>& columns, Propose propose, const ReadingOptions& options,
                           QWidget* parent)
    : QDialog(parent), columns_(columns), propose_(std::move(propose)) {
  setObjectName(QStringLiteral("FormReading"));
  setWindowTitle(QStringLiteral("読みを設定"));
  auto* layout = new QVBoxLayout(this);

  auto* columnRow = new QHBoxLayout;
  columnRow->addWidget(new QLabel(QStringLiteral("埋める列:"), this));
  for (const ColumnChoice& column : columns_) {
    auto* check = new QCheckBox(column.caption, this);
    check->setChecked(column.checked);
    ColumnChecks.push_back(check);
    columnRow->addWidget(check);
    connect(check, &QCheckBox::toggled, this, &TFormReading::Refresh);
  }
  columnRow->addStretch();
  layout->addLayout(columnRow);

  auto* form = new QFormLayout;
  ComboScript = new QComboBox(this);
  ComboScript->addItems({QStringLiteral("カタカナ"), QStringLiteral("ひらがな"), QStringLiteral("ローマ字")});
  ComboScript->setCurrentIndex(static_cast<int>(options.script));
  form->addRow(QStringLiteral("読み方(&K):"), ComboScript);
  CheckSpaces = new QCheckBox(QStringLiteral("語の間に空白を入れる(&S)"), this);
  CheckSpaces->setChecked(options.spaceWords);
  form->addRow(QString(), CheckSpaces);
  ComboCase = new QComboBox(this);
  ComboCase->addItems({QStringLiteral("小文字 (utada hikaru)"), QStringLiteral("大文字 (UTADA HIKARU)"),
                       QStringLiteral("語頭を大文字 (Utada Hikaru)"), QStringLiteral("先頭だけ大文字 (Utada hikaru)")});
  ComboCase->setCurrentIndex(static_cast<int>(options.letterCase));
  form->addRow(QStringLiteral("大文字(&C):"), ComboCase);
  ComboLongVowels = new QComboBox(this);
  ComboLongVowels->addItems(
      {QStringLiteral("長音符 (Tōkyō)"), QStringLiteral("書かない (Tokyo)"), QStringLiteral("かなどおり (Toukyou)")});
  ComboLongVowels->setCurrentIndex(static_cast<int>(options.longVowels));
  form->addRow(QStringLiteral("長音(&L):"), ComboLongVowels);
  layout->addLayout(form);

  Grid = new QTableWidget(this);
  Grid->setObjectName(QStringLiteral("GridReading"));
  Grid->setColumnCount(5);
  Grid->setHorizontalHeaderLabels({QStringLiteral("行"), QStringLiteral("列"), QStringLiteral("元の文字列"),
                                   QStringLiteral("読み"), QStringLiteral("読めない語")});
  Grid->verticalHeader()->hide();
  Grid->horizontalHeader()->setStretchLastSection(true);
  Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  layout->addWidget(Grid, 1);
  LabelSummary = new QLabel(this);
  LabelSummary->setWordWrap(true);
  layout->addWidget(LabelSummary);

  auto* buttons = new QDialogButtonBox(this);
  ButtonOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ButtonCancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  ButtonOk->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  auto refresh = [this] { Refresh(); };
  connect(ComboScript, &QComboBox::currentIndexChanged, this, refresh);
  connect(CheckSpaces, &QCheckBox::toggled, this, refresh);
  connect(ComboCase, &QComboBox::currentIndexChanged, this, refresh);
  connect(ComboLongVowels, &QComboBox::currentIndexChanged, this, refresh);
  resize(760, 480);
  Refresh();
}

TFormReading::~TFormReading() = default;

ReadingOptions TFormReading::Options() const {
  ReadingOptions options;
  options.script = static_cast<ReadingScript>(ComboScript->currentIndex());
  options.spaceWords = CheckSpaces->isChecked();
  options.letterCase = static_cast<RomajiCase>(ComboCase->currentIndex());
  options.longVowels = static_cast<LongVowels>(ComboLongVowels->currentIndex());
  return options;
}

void TFormReading::Refresh() {
  const bool romaji = ComboScript->currentIndex() == static_cast<int>(ReadingScript::Romaji);
  CheckSpaces->setEnabled(romaji);
  ComboCase->setEnabled(romaji);
  ComboLongVowels->setEnabled(romaji);
  std::vector<int> cells;
  for (size_t i = 0; i < columns_.size(); ++i)
    if (ColumnChecks[i]->isChecked()) cells.push_back(columns_[i].readingCell);
  proposals_ = cells.empty() ? std::vector<ReadingProposal>() : propose_(cells, Options());

  Grid->setRowCount(0);
  Grid->setRowCount(static_cast<int>(proposals_.size()));
  int unread = 0;
  for (size_t i = 0; i < proposals_.size(); ++i) {
    const ReadingProposal& proposal = proposals_[i];
    const int row = static_cast<int>(i);
    QString caption;
    for (const ColumnChoice& column : columns_)
      if (column.readingCell == proposal.readingCell) caption = column.caption;
    QStringList unknown;
    for (const std::string& word : proposal.unknown) unknown << QString::fromStdString(word);
    const QString items[] = {QString::number(proposal.row + 1), caption, QString::fromStdString(proposal.source),
                             QString::fromStdString(proposal.reading), unknown.join(QStringLiteral("、"))};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(items[c]);
      if (c != kReadingColumn) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      if (!unknown.isEmpty()) {
        item->setBackground(kUnknownColor);
        item->setToolTip(QStringLiteral("辞書にない語: %1 (そのまま残します)").arg(items[4]));
      }
      Grid->setItem(row, c, item);
    }
    if (!unknown.isEmpty()) ++unread;
  }
  Grid->resizeColumnsToContents();
  QString summary = QStringLiteral("%1 件の読み。読みのセルは直せます").arg(proposals_.size());
  if (!romaji) summary += QStringLiteral("（直した読みは辞書に覚えます）");
  summary += QStringLiteral("。");
  if (unread > 0) summary += QStringLiteral("辞書にない語を含むもの %1 件（色付き、漢字のまま）。").arg(unread);
  LabelSummary->setText(summary);
  ButtonOk->setEnabled(!proposals_.empty());
}

std::vector<ReadingProposal> TFormReading::Proposals() const {
  std::vector<ReadingProposal> out = proposals_;
  for (size_t i = 0; i < out.size(); ++i)
    if (const QTableWidgetItem* item = Grid->item(static_cast<int>(i), kReadingColumn))
      out[i].reading = item->text().toStdString();
  return out;
}

std::vector<ReadingCorrection> TFormReading::Corrections() const {
  std::vector<ReadingCorrection> out;
  const std::vector<ReadingProposal> now = Proposals();
  for (size_t i = 0; i < now.size(); ++i)
    if (now[i].reading != proposals_[i].reading) out.push_back({now[i].source, now[i].reading});
  return out;
}

}  // namespace hozanki
