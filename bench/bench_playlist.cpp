// Prints the playlist's speed and memory figures for 100,000 entries.
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>

#include <cstdio>
#include <malloc.h>

using namespace qarn;

namespace {

constexpr int kEntries = 100000;

// Resident memory after handing freed heap pages back, so only live data counts.
long residentKiB() {
    ::malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Paths as long as a typical music collection's: about 75 characters.
QStringList collection() {
    QStringList paths;
    paths.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i)
        paths << QStringLiteral(
                     "/home/listener/Music/Artist %1/Album %2 (1999)/%3 - Track title %4.mp3")
                     .arg(i / 100, 4, 10, QChar(u'0'))
                     .arg(i / 10, 5, 10, QChar(u'0'))
                     .arg(i % 10 + 1, 2, 10, QChar(u'0'))
                     .arg(i);
    return paths;
}

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

QItemSelection everyOtherRow(const QAbstractItemModel& model) {
    QItemSelection selection;
    for (int row = 0; row < model.rowCount(); row += 2)
        selection.append(QItemSelectionRange(model.index(row, 0)));
    return selection;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString file = dir.filePath(QStringLiteral("Last.qpl"));

    const long emptyKiB = residentKiB();
    PlaylistModel model;
    {
        const QStringList paths = collection();
        QElapsedTimer t;
        t.start();
        writeQpl(file, paths);
        std::printf("write 100,000-entry .qpl (atomic, fsync):  %8.1f ms\n", ms(t));
    }
    {
        QElapsedTimer t;
        t.start();
        const QStringList read = readQpl(file);
        std::printf("read 100,000-entry .qpl:                  %8.1f ms\n", ms(t));
        t.restart();
        model.appendBlock(read);
        std::printf("append 100,000 to the model:              %8.1f ms\n", ms(t));
    }
    const long fullKiB = residentKiB();
    std::printf("resident memory, 100,000 entries vs none: %8.1f MB more (%.1f -> %.1f MB)\n",
                (fullKiB - emptyKiB) / 1024.0, emptyKiB / 1024.0, fullKiB / 1024.0);

    {
        const QItemSelection selection = everyOtherRow(model);
        QElapsedTimer t;
        t.start();
        const int removed = model.DeleteSelectedEntries(selection);
        std::printf("delete %d scattered of 100,000 (model):   %8.1f ms\n", removed, ms(t));
    }

    // The same with a list view and its selection model attached, as in the main window.
    model.replaceAll(readQpl(file));
    QListView view;
    view.setUniformItemSizes(true);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setModel(&model);
    view.resize(300, 400);
    view.show();
    app.processEvents();
    {
        QElapsedTimer t;
        t.start();
        view.selectionModel()->select(everyOtherRow(model), QItemSelectionModel::Select);
        std::printf("select 50,000 scattered rows in the view: %8.1f ms\n", ms(t));
        t.restart();
        int caret = view.currentIndex().row();
        const int removed = model.DeleteSelectedEntries(view.selectionModel()->selection(), &caret);
        app.processEvents();
        std::printf("delete %d selected of 100,000 (view):     %8.1f ms\n", removed, ms(t));
    }
    {
        QElapsedTimer t;
        t.start();
        model.ClearPlaylist();
        app.processEvents();
        std::printf("clear 50,000 (view):                      %8.1f ms\n", ms(t));
        t.restart();
        model.appendBlock(collection());
        app.processEvents();
        std::printf("generate and append 100,000 (view):       %8.1f ms\n", ms(t));
    }
    return 0;
}
