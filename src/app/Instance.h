// Process entry: one copy per user, forwarding, and the five windows.
#pragma once

#include <QString>
#include <QStringList>

class TFormOfQarn;
class TForm2;
class TForm3;
class TImageViewerOfQarn;
class TAboutQarn;

// The five windows, created once in this order and living until the program ends.
extern TFormOfQarn* FormOfQarn;
extern TForm2* Form2;
extern TForm3* Form3;
extern TImageViewerOfQarn* ImageViewerOfQarn;
extern TAboutQarn* AboutQarn;

namespace qarn {

inline constexpr const char* kWindowTitle = "Qarn_player";

// Where the running copy listens; empty when the player runs without a channel.
QString commandSocketPath();
void setCommandSocketPath(const QString& path);

// The first command-line argument after the program's name; empty when there is none.
QString startupArgument();
void setStartupArgument(const QString& argument);

// The whole program; returns the process exit code (always 0).
int runPlayer(int argc, char** argv);

} // namespace qarn
