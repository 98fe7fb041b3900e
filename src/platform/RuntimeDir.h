// The per-user folder that holds the instance lock and the command channel.
#pragma once

#include <QString>

namespace qarn {

// $XDG_RUNTIME_DIR when it is a private folder of ours, else a per-user folder under the temp
// folder created with mode 0700. Returns an empty text (and the reason in *why) when the folder
// exists but is not a private folder of this user: a planted folder or link must not capture
// the lock or the channel.
QString userRuntimeDir(QString* why = nullptr);

// True when path is a real folder (not a link) owned by this user with no access for others.
bool isPrivateFolder(const QString& path, QString* why = nullptr);

} // namespace qarn
