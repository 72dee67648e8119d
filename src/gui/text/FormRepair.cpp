#include "gui/text/FormRepair.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <iterator>

#include "gui/app/HelpLocator.h"

namespace hozanki {
namespace {

constexpr SourceEncoding kSources[] = {SourceEncoding::kShiftJis, SourceEncoding::kUtf8, SourceEncoding::kEucJp,
                                       SourceEncoding::kLatin1, SourceEncoding::kKeep};
constexpr int kSourceCount = static_cast<int>(std::size(kSources));

int SourceIndex(SourceEncoding s) {
  for (int i = 0; i < kSourceCount; ++i)
    if (kSources[i] == s) return i;
  return kSourceCount - 1;
}

QString FieldCaption(const RepairFinding& f) {
  static const std::pair<const char*, const char*> kFields[] = {
      {"IART", "アーティスト"}, {"INAM", "タイトル"}, {"IPRD", "アルバム"},  {"ICMT", "コメント"},
      {"IGNR", "ジャンル"},     {"COMP", "作曲者"},   {"ICOP", "著作権"},    {"OART", "オリジナルアーティスト"},
      {"ENC2", "エンコードした人"}, {"ISFT", "ソフトウェア"}, {"IENG", "エンジニア"}, {"ISRC", "ソース"},
      {"AART", "アルバムアーティスト"}, {"DISC", "ディスク№"}, {"SOAR", "読み（アーティスト）"},
      {"SOAA", "読み（アルバムアーティスト）"}, {"SOAL", "読み（アルバム）"}, {"SONM", "読み（タイトル）"},
      {"LYRC", "歌詞"}};
  for (const auto& [stem, caption] : kFields)
    if (f.field == stem) return QString::fromUtf8(caption) + QStringLiteral(" (") + QString::fromStdString(f.field) + QLatin1Char(')');
  return QString::fromStdString(f.field);
}

}  // namespace

bool RepairRow::Applies() const {
  if (!ticked) return false;
  std::optional<std::string> text = Result();
  if (!text) return false;
  return *text != finding.current || finding.diagnosis.verdict == TextVerdict::kLegacy;
}

RepairModel::RepairModel(std::vector<RepairRow> rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)) {
  // A value that reads about as well either way is offered, not taken.
  for (RepairRow& r : rows_)
    if (r.finding.diagnosis.verdict == TextVerdict::kAmbiguous) r.ticked = false;
}

int RepairModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RepairModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QStringList RepairModel::SourceCaptions() {
  return {QStringLiteral("Shift-JIS"), QStringLiteral("UTF-8"), QStringLiteral("EUC-JP"), QStringLiteral("ISO-8859-1"),
          QStringLiteral("そのまま")};
}

QVariant RepairModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const RepairRow& r = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::CheckStateRole && index.column() == kFile) return r.ticked ? Qt::Checked : Qt::Unchecked;
  if (role == Qt::EditRole && index.column() == kSource) return SourceIndex(r.chosen);
  if (role == Qt::ToolTipRole && index.column() == kProposed && r.finding.diagnosis.verdict == TextVerdict::kLegacy)
    return r.finding.diagnosis.source == SourceEncoding::kUtf8
               ? QStringLiteral("ほかのプログラムでは読めない形式 (ISO-8859-1 のフレームに UTF-8) で保存されています。"
                                "Unicode で書き直します。")
               : QStringLiteral("ほかのプログラムでは読めない形式 (ISO-8859-1 のフレームに Shift-JIS) で保存されています。"
                                "Unicode で書き直します。");
  if (role == Qt::ToolTipRole && index.column() == kProposed && r.finding.diagnosis.verdict == TextVerdict::kAmbiguous)
    return QStringLiteral("ISO-8859-1 としても Shift-JIS としても読めるバイト列です。"
                          "「現在の表示」と見比べて、正しいほうを選んでからチェックしてください。");
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kFile: return QString::fromStdString(r.fileName);
    case kTag: return QString::fromUtf8(TagKindName(r.finding.kind).data(), static_cast<int>(TagKindName(r.finding.kind).size()));
    case kField: return FieldCaption(r.finding);
    case kNow: return QString::fromStdString(r.finding.current);
    case kProposed: {
      std::optional<std::string> text = r.Result();
      return text ? QString::fromStdString(*text) : QStringLiteral("(この文字コードでは読めません)");
    }
    case kSource: return SourceCaptions().at(SourceIndex(r.chosen));
    default: return {};
  }
}

bool RepairModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.row() >= rowCount()) return false;
  RepairRow& r = rows_[static_cast<size_t>(index.row())];
  if (role == Qt::CheckStateRole && index.column() == kFile) {
    r.ticked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit TicksChanged();
    return true;
  }
  if (role == Qt::EditRole && index.column() == kSource) {
    int i = value.toInt();
    if (i < 0 || i >= kSourceCount) return false;
    r.chosen = kSources[i];
    emit dataChanged(this->index(index.row(), kProposed), index);
    emit TicksChanged();
    return true;
  }
  return false;
}

Qt::ItemFlags RepairModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() == kFile) f |= Qt::ItemIsUserCheckable;
  if (index.column() == kSource) f |= Qt::ItemIsEditable;
  return f;
}

QVariant RepairModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* kCaptions[] = {"ファイル", "タグ", "項目", "現在の表示", "修復後", "元の文字コード"};
  return section >= 0 && section < kColumnCount ? QString::fromUtf8(kCaptions[section]) : QVariant();
}

int RepairModel::TickedCount() const {
  int n = 0;
  for (const RepairRow& r : rows_) n += r.Applies() ? 1 : 0;
  return n;
}

QWidget* SourceEncodingDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
  auto* box = new QComboBox(parent);
  box->setObjectName(QStringLiteral("SourceEncodingBox"));
  box->addItems(RepairModel::SourceCaptions());
  connect(box, &QComboBox::activated, this, [this, box] { emit const_cast<SourceEncodingDelegate*>(this)->commitData(box); });
  return box;
}

void SourceEncodingDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(Qt::EditRole).toInt());
}

void SourceEncodingDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  model->setData(index, static_cast<QComboBox*>(editor)->currentIndex(), Qt::EditRole);
}

TFormRepair::TFormRepair(std::vector<RepairRow> rows, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormRepair"));
  setWindowTitle(QStringLiteral("文字コード修復"));
  AddHelpKey(this, kHelpContext);
  model_ = new RepairModel(std::move(rows), this);

  auto* intro = new QLabel(QStringLiteral(
      "別の文字コードで読み違えられて保存された値 (文字化け) と、ほかのプログラムでは読めない形式で保存された値です。"
      "チェックした値を修復後の文字列にします。ファイルは保存するまで変わりません。"));
  intro->setWordWrap(true);
  Table = new QTableView;
  Table->setObjectName(QStringLiteral("RepairTable"));
  Table->setModel(model_);
  Table->setItemDelegateForColumn(RepairModel::kSource, new SourceEncodingDelegate(Table));
  Table->setEditTriggers(QAbstractItemView::AllEditTriggers);
  Table->setSelectionBehavior(QAbstractItemView::SelectRows);
  Table->verticalHeader()->hide();
  Table->horizontalHeader()->setStretchLastSection(true);
  Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  Table->resizeColumnsToContents();
  for (int c = 0; c < RepairModel::kColumnCount; ++c)
    Table->setColumnWidth(c, std::min(std::max(Table->columnWidth(c), 80), 260));

  Summary = new QLabel;
  Summary->setObjectName(QStringLiteral("RepairSummary"));
  ButtonOk = new QPushButton(QStringLiteral("OK"));
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonCancel = new QPushButton(QStringLiteral("キャンセル"));
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(model_, &RepairModel::TicksChanged, this, &TFormRepair::UpdateSummary);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Summary, 1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addWidget(Table, 1);
  layout->addLayout(buttons);
  resize(900, 420);
  UpdateSummary();
}

void TFormRepair::UpdateSummary() {
  int ticked = model_->TickedCount();
  Summary->setText(QStringLiteral("%1 件中 %2 件を修復します").arg(model_->rowCount()).arg(ticked));
  ButtonOk->setEnabled(ticked > 0);
}

std::vector<RepairRow> TFormRepair::Accepted() const {
  std::vector<RepairRow> out;
  for (const RepairRow& r : model_->Rows())
    if (r.Applies()) out.push_back(r);
  return out;
}

}  // namespace hozanki
