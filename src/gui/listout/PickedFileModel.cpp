#include "gui/listout/PickedFileModel.h"

#include <array>

namespace hozanki {
namespace {

constexpr std::array<const char*, kPickedFileColumns> kFileCaptions = {
    "通番",    "ﾌｧｲﾙﾊﾟｽ ", "ﾌｧｲﾙ名 ", " ｻｲｽﾞ", "ﾀｲﾑｽﾀﾝﾌﾟ ", " 時間",   "種別",
    "(ID3v1)", "(ID3v2)",  "(RIFF)",  "(APE)", "音声形式",  "映像形式"};

QString TagCaption(int subItem) {
  static const std::array<const char*, 7> groups = {"ｱｰﾃｨｽﾄ", "ﾀｲﾄﾙ", "ｱﾙﾊﾞﾑ", "№", "年", "ｼﾞｬﾝﾙ", "ｺﾒﾝﾄ"};
  static const std::array<const char*, 7> singles = {"作曲者", "著作権",     "URL",   "ｵﾘｼﾞﾅﾙ",
                                                     "製作者", "ｿｰｽ/保存名", "ｿﾌﾄｳｪｱ"};
  static const std::array<const char*, 7> extras = {"ｱﾙﾊﾞﾑｱｰﾃｨｽﾄ", "ﾃﾞｨｽｸ",    "ｱｰﾃｨｽﾄ読み", "Aｱｰﾃｨｽﾄ読み",
                                                    "ｱﾙﾊﾞﾑ読み",   "ﾀｲﾄﾙ読み", "歌詞"};
  if (subItem >= 35) return QString::fromUtf8(extras[static_cast<size_t>(subItem - 35)]);
  if (subItem >= 28) return QString::fromUtf8(singles[static_cast<size_t>(subItem - 28)]);
  const int group = subItem / 4;
  switch (subItem % 4) {
    case 0:
      return QString::fromUtf8(groups[static_cast<size_t>(group)]);
    case 1:
      return QStringLiteral("(ID3v1)");
    case 2:
      return group == 3 ? QStringLiteral("(ID3v2)") : QStringLiteral("(ID3v2/RIFF)");
    default:
      return QStringLiteral("(APE)");
  }
}

QString Text(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

PickedFileModel::PickedFileModel(const PickedFiles& store, Side side, QObject* parent)
    : QAbstractTableModel(parent), store_(store), side_(side) {}

int PickedFileModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : store_.Count();
}

int PickedFileModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return 1 + (side_ == Side::Files ? kPickedFileColumns : kPickedTagColumns);
}

QVariant PickedFileModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= store_.Count() || index.column() == 0) return {};
  const PickedFile& file = store_.Files()[static_cast<size_t>(index.row())];
  const int subItem = index.column() - 1;
  if (role == Qt::DisplayRole) {
    if (side_ == Side::Files) return Text(file.file[static_cast<size_t>(subItem)]);
    return Text(file.tag[static_cast<size_t>(subItem)]);
  }
  if (role == Qt::TextAlignmentRole && side_ == Side::Files && (subItem == 0 || subItem == 3 || subItem == 5))
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role == kSecondsRole && side_ == Side::Files && subItem == 5) return QVariant::fromValue(file.seconds);
  return {};
}

QVariant PickedFileModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section <= 0) return {};
  if (side_ == Side::Files)
    return section <= kPickedFileColumns ? QString::fromUtf8(kFileCaptions[static_cast<size_t>(section - 1)])
                                         : QVariant();
  return section <= kPickedTagColumns ? TagCaption(section - 1) : QVariant();
}

Qt::ItemFlags PickedFileModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

PickedFiles::PickedFiles(QObject* parent)
    : QObject(parent),
      fileModel_(new PickedFileModel(*this, PickedFileModel::Side::Files, this)),
      tagModel_(new PickedFileModel(*this, PickedFileModel::Side::Tags, this)) {}

void PickedFiles::Append(std::vector<PickedFile> files) {
  if (files.empty()) return;
  const int first = Count();
  const int last = first + static_cast<int>(files.size()) - 1;
  fileModel_->beginInsertRows({}, first, last);
  tagModel_->beginInsertRows({}, first, last);
  files_.insert(files_.end(), std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
  tagModel_->endInsertRows();
  fileModel_->endInsertRows();
}

void PickedFiles::Remove(const std::vector<int>& rows) {
  if (rows.empty()) return;
  std::vector<bool> gone(files_.size(), false);
  for (int row : rows)
    if (row >= 0 && row < Count()) gone[static_cast<size_t>(row)] = true;
  fileModel_->beginResetModel();
  tagModel_->beginResetModel();
  // A file moved onto its own place would be emptied (a self move).
  size_t kept = 0;
  for (size_t i = 0; i < files_.size(); ++i) {
    if (gone[i]) continue;
    if (kept != i) files_[kept] = std::move(files_[i]);
    ++kept;
  }
  files_.resize(kept);
  tagModel_->endResetModel();
  fileModel_->endResetModel();
}

void PickedFiles::Clear() {
  fileModel_->beginResetModel();
  tagModel_->beginResetModel();
  files_.clear();
  tagModel_->endResetModel();
  fileModel_->endResetModel();
}

void PickedFiles::Reorder(const std::vector<int>& order) {
  if (order.size() != files_.size()) return;
  std::vector<PickedFile> moved;
  moved.reserve(files_.size());
  for (int old : order) moved.push_back(std::move(files_[static_cast<size_t>(old)]));
  // The views' selections are rebuilt by the window afterwards.
  fileModel_->beginResetModel();
  tagModel_->beginResetModel();
  files_ = std::move(moved);
  tagModel_->endResetModel();
  fileModel_->endResetModel();
}

void PickedFiles::UpdateListTotals() {
  totals_ = hozanki::UpdateListTotals(files_);
  if (!files_.empty())
    emit fileModel_->dataChanged(fileModel_->index(0, 1), fileModel_->index(Count() - 1, 1),
                                 {Qt::DisplayRole});
  emit TotalsChanged();
}

}  // namespace hozanki
