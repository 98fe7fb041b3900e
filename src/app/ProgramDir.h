// The program folder: where the player reads its data and keeps its settings and playlist.
#pragma once

#include <QString>

namespace qarn {

// The executable's folder, unless a test pointed it elsewhere. Ends without a slash.
QString programDir();
void setProgramDir(const QString& dir);

// The program's own full path (in the program folder, under the executable's name).
QString programFilePath();

// The path of a file beside the program.
QString programFile(const QString& name);

} // namespace qarn
