// The playlist commands of the main window: open, save, delete, clear, double click.
#include "mainwindow/FormOfQarn.h"

#include "app/ErrorBox.h"
#include "language/Bilingual.h"
#include "playback/MediaDevice.h"
#include "playlist/PathParts.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistModel.h"

#include <QListView>

void TFormOfQarn::Del1Click() {
    int caret = CurrentIndex();
    try {
        Playlist->DeleteSelectedEntries(PlayList->selectionModel()->selection(), &caret);
    } catch (...) {
        // What was deleted stays deleted.
    }
    if (caret >= 0)
        setCurrentIndex(caret);
}

void TFormOfQarn::Clearcurretplaylis1Click() {
    // The device is not touched: a playing file plays on.
    Playlist->ClearPlaylist();
}

void TFormOfQarn::PlayListDblClick() {
    try {
        const int i = CurrentIndex();
        const QString path = Playlist->entry(i);
        if (qarn::IsReadableFile(path)) {
            // The device type stays whatever was set last.
            MediaPlayer1->setFileName(path);
            Start();
        } else {
            Playlist->RemoveEntry(i);
        }
    } catch (...) {
        markNotPlaying();
        // Refused too when nothing is open; that refusal reaches the standard error box.
        MediaPlayer1->Stop();
    }
}

void TFormOfQarn::EjectClick() {
    const QStringList chosen = chooseFilesToOpen();
    if (chosen.isEmpty())
        return;
    // The first entry this command adds is the one that starts; for media files that is the
    // last one chosen, and a chosen playlist starts at its own first entry.
    const int first = Playlist->count();
    try {
        for (qsizetype k = chosen.size() - 1; k >= 0; --k) {
            const QString& f = chosen[k];
            const QString ext = qarn::extensionOf(f);
            if (ext == qarn::kQplExtension)
                Playlist->appendBlock(qarn::readQpl(f));
            else if (ext == qarn::kWplExtension)
                Playlist->appendBlock(qarn::readWpl(f));
            else
                Playlist->AppendPath(f);
        }
        const QString entry = Playlist->entry(first);
        if (qarn::IsReadableFile(entry)) {
            MediaPlayer1->setDeviceType(dtAutoSelect);
            MediaPlayer1->setFileName(entry);
            setCurrentIndex(first);
            Start();
        }
    } catch (...) {
        qarn::showMessage(qarn::msg::kCannotPlay.pick(GetLanguage()));
    }
}

void TFormOfQarn::Saveplaylist1Click() {
    const QString fileName = chooseFileToSave();
    if (fileName.isEmpty())
        return;
    try {
        qarn::writeQpl(fileName, PathList());
    } catch (...) {
        // No message: the playing state is reset and the device is left alone.
        markNotPlaying();
    }
}
