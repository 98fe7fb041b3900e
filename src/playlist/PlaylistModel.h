// The playlist: full paths (PathList) and the file names a list view shows, kept in one place.
#pragma once

#include <QAbstractListModel>
#include <QItemSelection>
#include <QStringList>

namespace qarn {

// Owns PathList; row i of the model shows the file name of PathList entry i, so the paths and the
// names can never get out of step. Names are derived on demand, not stored twice. Meant for a
// QListView with uniformItemSizes set.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    // DisplayRole gives the file name; kPathRole the full path.
    static constexpr int kPathRole = Qt::UserRole;

    explicit PlaylistModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const QStringList& PathList() const { return paths_; }
    int count() const { return static_cast<int>(paths_.size()); }
    // PathList entry i; throws std::out_of_range ("List index out of bounds (i)") outside the list.
    const QString& entry(int i) const;

    void AppendPath(const QString& path);
    // Appends many paths with one insert notification (a playlist file's entries).
    void appendBlock(const QStringList& paths);
    // Replaces the whole playlist with one reset (startup with a playlist file).
    void replaceAll(QStringList paths);
    void ClearPlaylist();
    // Throws std::out_of_range outside the list; nothing changes then.
    void RemoveEntry(int i);

    // Removes every selected row in one pass; rows outside the list are ignored. Returns the number
    // removed. A few contiguous runs are removed with row-removal notifications, so a view keeps
    // its caret and selection; many scattered rows are removed with one model reset, which clears
    // the view's caret. If caret is given it is updated to the row the same entry now has, or when
    // that entry went, to the next surviving entry (the last one when none follows); -1 when the
    // list is empty or *caret was -1.
    int DeleteSelectedEntries(const QItemSelection& selection, int* caret = nullptr);

private:
    QStringList paths_;
};

} // namespace qarn
