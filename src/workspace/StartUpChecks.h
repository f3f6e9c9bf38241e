#pragma once
// The checks the program makes before its main window shows.
#include <QString>

class QLockFile;

namespace tw
{

class Prompter;

// 15 twips to the pixel: narrower than 15360 twips (1024 px) refuses to run, wider than 15380
// twips (1026 px and more) runs after a notice, 1024 and 1025 px run silently.
enum class ScreenFit { TooNarrow, Fits, Wider };
ScreenFit screenFit(int widthPixels);

// The lock file that tells a second instance the program already runs; in the runtime folder.
QString instanceLockPath();

// The start-up checks in order: a second instance (the lock is held, a stale lock of a dead
// process does not count), then the screen width. Each refusal shows its message; false means
// the program must end. The lock stays held as long as the QLockFile lives.
bool passStartUpChecks(Prompter &prompter, QLockFile &instanceLock, int screenWidthPixels);

} // namespace tw
