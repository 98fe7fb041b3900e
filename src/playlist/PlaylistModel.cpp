// The playlist model: PathList with file names shown per row.
#include "PlaylistModel.h"

#include "PathParts.h"

#include <stdexcept>
#include <vector>

namespace qarn {

namespace {

// More runs than this and per-run notifications cost more than a reset: each one makes a view
// and its selection model walk their state again.
constexpr int kMaxRemoveNotifications = 16;

[[noreturn]] void throwIndexError(int i) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
}

} // namespace

PlaylistModel::PlaylistModel(QObject* parent) : QAbstractListModel(parent) {}

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const QString& path = paths_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return fileNameOf(path);
    case kPathRole:
        return path;
    default:
        return {};
    }
}

const QString& PlaylistModel::entry(int i) const {
    if (i < 0 || i >= count())
        throwIndexError(i);
    return paths_.at(i);
}

void PlaylistModel::AppendPath(const QString& path) {
    beginInsertRows({}, count(), count());
    paths_.append(path);
    endInsertRows();
}

void PlaylistModel::appendBlock(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    beginInsertRows({}, count(), count() + static_cast<int>(paths.size()) - 1);
    paths_.append(paths);
    endInsertRows();
}

void PlaylistModel::replaceAll(QStringList paths) {
    beginResetModel();
    paths_ = std::move(paths);
    endResetModel();
}

void PlaylistModel::ClearPlaylist() {
    if (paths_.isEmpty())
        return;
    beginResetModel();
    paths_.clear();
    endResetModel();
}

void PlaylistModel::RemoveEntry(int i) {
    if (i < 0 || i >= count())
        throwIndexError(i);
    beginRemoveRows({}, i, i);
    paths_.removeAt(i);
    endRemoveRows();
}

int PlaylistModel::DeleteSelectedEntries(const QItemSelection& selection, int* caret) {
    const int n = count();
    std::vector<bool> doomed(static_cast<size_t>(n), false);
    for (const QItemSelectionRange& range : selection) {
        if (range.model() != this || range.parent().isValid())
            continue;
        const int top = std::max(range.top(), 0);
        const int bottom = std::min(range.bottom(), n - 1);
        for (int row = top; row <= bottom; ++row)
            doomed[static_cast<size_t>(row)] = true;
    }

    // Runs of doomed rows as [first, last], in ascending order.
    std::vector<std::pair<int, int>> runs;
    for (int row = 0; row < n; ++row) {
        if (!doomed[static_cast<size_t>(row)])
            continue;
        if (!runs.empty() && runs.back().second == row - 1)
            runs.back().second = row;
        else
            runs.emplace_back(row, row);
    }
    if (runs.empty()) {
        if (caret && *caret >= n)
            *caret = n - 1;
        return 0;
    }

    int newCaret = -1;
    if (caret && *caret >= 0) {
        // The first surviving row at or after the old caret, counted among survivors.
        int survivorsBefore = 0;
        int target = -1;
        for (int row = 0; row < n; ++row) {
            if (doomed[static_cast<size_t>(row)])
                continue;
            if (row >= *caret) {
                target = survivorsBefore;
                break;
            }
            ++survivorsBefore;
        }
        newCaret = target >= 0 ? target : survivorsBefore - 1;
    }

    int removed = 0;
    if (runs.size() <= static_cast<size_t>(kMaxRemoveNotifications)) {
        // From the last run down, so the rows of the earlier runs stay valid.
        for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
            beginRemoveRows({}, it->first, it->second);
            paths_.remove(it->first, it->second - it->first + 1);
            endRemoveRows();
            removed += it->second - it->first + 1;
        }
    } else {
        beginResetModel();
        qsizetype kept = 0;
        for (qsizetype row = 0; row < n; ++row) {
            if (!doomed[static_cast<size_t>(row)]) {
                if (kept != row)
                    paths_[kept] = std::move(paths_[row]);
                ++kept;
            }
        }
        removed = n - static_cast<int>(kept);
        paths_.resize(kept);
        endResetModel();
    }
    if (caret)
        *caret = newCaret;
    return removed;
}

} // namespace qarn
