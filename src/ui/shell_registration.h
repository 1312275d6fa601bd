#pragma once

#include <QString>

namespace ruvo {

inline constexpr char kDocumentMimeType[] = "application/x-ruvo-data";

// Makes the user's desktop open Ruvo documents ("Ruvo Data", recognised by their first line) with
// executable: installs under dataHome (the user's data folder, ~/.local/share) a MIME type with its
// icon and a desktop entry when they are missing, and both again when the entry was written for a
// program at another path or starts one that no longer exists; an entry the user made for an
// existing program is left alone. Nothing is written for a system install, whose package registers
// Ruvo, nor while a package's entry is installed in a system data folder (XDG_DATA_DIRS), which a
// user-level entry would shadow: then an entry written here earlier (by a build tree) is removed,
// with its icons and MIME type, whichever program runs. Failures are silent: the program works
// without the registration.
void RegisterDocumentType(const QString& dataHome, const QString& executable);

// Whether executable runs from an installed tree (PREFIX/bin beside PREFIX/share/applications/ruvo.desktop).
bool IsSystemInstall(const QString& executable);

// The Exec line value that runs executable on one file, quoted as desktop entries require.
QString DesktopExecLine(const QString& executable);

}  // namespace ruvo
