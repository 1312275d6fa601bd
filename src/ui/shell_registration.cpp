#include "ui/shell_registration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include "ui/app_icons.h"

namespace ruvo {
namespace {

constexpr int kIconSide = 64;  // pixels
// The desktop entry's own record of the program it was written for.
constexpr char kExecutableKey[] = "X-Ruvo-Executable";

// The MIME type as the package installs it: told by the run document's first line, never by
// "*.dat" alone, which other programs' files share.
const char kMimeResource[] = ":/packaging/ruvo.xml";

// Writes bytes to path, replacing it only once the new text is complete.
bool WriteFile(const QString& path, const QByteArray& bytes) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The value of key in a desktop entry's text, or a null string.
QString EntryValue(const QString& text, const QString& key) {
  for (const QString& line : text.split(u'\n'))
    if (line.startsWith(key + u'=')) return line.mid(key.size() + 1);
  return {};
}

// The program an Exec value starts: the first word, or the text between the quotes of a quoted
// one with its escapes undone.
QString ExecProgram(const QString& exec) {
  if (!exec.startsWith(u'"')) return exec.section(u' ', 0, 0);
  QString unescaped = exec.mid(1);
  unescaped.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
  QString program;
  for (qsizetype i = 0; i < unescaped.size() && unescaped[i] != u'"'; ++i) {
    if (unescaped[i] == u'\\' && i + 1 < unescaped.size()) ++i;
    program += unescaped[i];
  }
  return program;
}

// Whether the entry at path must be (re)written for executable: it is missing, it was written for
// a program at another path, or it starts a program that no longer exists (a stale launcher).
// An entry the user made for a program that exists is left alone.
bool EntryNeedsWriting(const QString& path, const QString& executable) {
  QFile file(path);
  if (!file.exists()) return true;
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString text = QString::fromUtf8(file.readAll());
  const QString writtenFor = EntryValue(text, QLatin1String(kExecutableKey));
  if (!writtenFor.isNull()) return writtenFor != executable;
  const QString exec = EntryValue(text, QStringLiteral("Exec"));
  if (exec.isNull()) return false;
  const QString program = ExecProgram(exec);
  return !program.isEmpty() && QFileInfo(program).isAbsolute() && !QFileInfo(program).isExecutable();
}

// Lets the desktop's caches see a new file; skipped where the tool is not installed.
void RefreshCache(const char* tool, const QString& folder) {
  const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (program.isEmpty()) return;
  QProcess process;
  process.setProgram(program);
  process.setArguments({folder});
  process.setStandardOutputFile(QProcess::nullDevice());  // its notes are for a terminal user
  process.setStandardErrorFile(QProcess::nullDevice());
  process.startDetached();
}

// Installs the MIME type when it is missing, or again when rewrite is set.
void InstallMimeType(const QString& dataHome, bool rewrite) {
  const QString mimeFolder = dataHome + QStringLiteral("/mime");
  const QString package = mimeFolder + QStringLiteral("/packages/ruvo-data.xml");
  if (QFileInfo::exists(package) && !rewrite) return;
  QFile definition(QString::fromLatin1(kMimeResource));
  if (!definition.open(QIODevice::ReadOnly)) return;
  QDir().mkpath(dataHome + QStringLiteral("/icons/hicolor/64x64/mimetypes"));
  DocumentIcon()
      .pixmap(kIconSide, kIconSide)
      .save(dataHome + QStringLiteral("/icons/hicolor/64x64/mimetypes/application-x-ruvo-data.png"));
  if (WriteFile(package, definition.readAll())) RefreshCache("update-mime-database", mimeFolder);
}

// Writes the desktop entry when EntryNeedsWriting says so; true when it was written.
bool InstallDesktopEntry(const QString& dataHome, const QString& executable) {
  const QString applications = dataHome + QStringLiteral("/applications");
  const QString entry = applications + QStringLiteral("/ruvo.desktop");
  if (!EntryNeedsWriting(entry, executable)) return false;
  const QString text = QStringLiteral(
                           "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=Ruvo\n"
                           "Comment=Dynamometer that works from engine sound\n"
                           "Exec=%1\n"
                           "Icon=ruvo\n"
                           "MimeType=%2;\n"
                           "Terminal=false\n"
                           "Categories=Science;Engineering;\n"
                           "%3=%4\n")
                           .arg(DesktopExecLine(executable), QLatin1String(kDocumentMimeType),
                                QLatin1String(kExecutableKey), executable);
  QDir().mkpath(dataHome + QStringLiteral("/icons/hicolor/64x64/apps"));
  ApplicationIcon().pixmap(kIconSide, kIconSide).save(dataHome + QStringLiteral("/icons/hicolor/64x64/apps/ruvo.png"));
  if (!WriteFile(entry, text.toUtf8())) return false;
  RefreshCache("update-desktop-database", applications);
  return true;
}

// The system's data folders: XDG_DATA_DIRS, by default /usr/local/share and /usr/share.
QStringList SystemDataFolders() {
  const QString value = qEnvironmentVariable("XDG_DATA_DIRS");
  if (value.isEmpty()) return {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
  return value.split(u':', Qt::SkipEmptyParts);
}

// Whether an installed package's desktop entry is in a system data folder, where an entry of the
// user's own (dataHome) would shadow it.
bool PackageEntryInstalled(const QString& dataHome) {
  for (const QString& folder : SystemDataFolders()) {
    if (QDir::isRelativePath(folder) || QDir::cleanPath(folder) == QDir::cleanPath(dataHome)) continue;
    if (QFileInfo::exists(folder + QStringLiteral("/applications/ruvo.desktop"))) return true;
  }
  return false;
}

// Takes back what InstallDesktopEntry and InstallMimeType wrote under dataHome, known by the
// entry's own record of its program; an entry without it is the user's and stays.
void RemoveOwnRegistration(const QString& dataHome) {
  const QString applications = dataHome + QStringLiteral("/applications");
  QFile entry(applications + QStringLiteral("/ruvo.desktop"));
  if (!entry.open(QIODevice::ReadOnly)) return;
  const bool ours = !EntryValue(QString::fromUtf8(entry.readAll()), QLatin1String(kExecutableKey)).isNull();
  entry.close();
  if (!ours || !entry.remove()) return;
  RefreshCache("update-desktop-database", applications);
  QFile::remove(dataHome + QStringLiteral("/icons/hicolor/64x64/apps/ruvo.png"));
  QFile::remove(dataHome + QStringLiteral("/icons/hicolor/64x64/mimetypes/application-x-ruvo-data.png"));
  // The MIME type only as written here: a copy the user changed stays.
  const QString mimeFolder = dataHome + QStringLiteral("/mime");
  QFile package(mimeFolder + QStringLiteral("/packages/ruvo-data.xml"));
  QFile definition(QString::fromLatin1(kMimeResource));
  if (!package.open(QIODevice::ReadOnly) || !definition.open(QIODevice::ReadOnly)) return;
  const bool unchanged = package.readAll() == definition.readAll();
  package.close();
  if (unchanged && package.remove()) RefreshCache("update-mime-database", mimeFolder);
}

}  // namespace

bool IsSystemInstall(const QString& executable) {
  // Resolved by name, so a bin folder that does not exist (yet) cannot hide the share folder.
  return QFileInfo::exists(
      QDir::cleanPath(QFileInfo(executable).absolutePath() + QStringLiteral("/../share/applications/ruvo.desktop")));
}

QString DesktopExecLine(const QString& executable) {
  // Inside the quotes '"', '`', '$' and '\' take a backslash; the entry's string syntax then
  // doubles every backslash.
  QString quoted;
  for (const QChar c : executable) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
    quoted += c;
  }
  quoted.replace(u'\\', QStringLiteral("\\\\"));
  return u'"' + quoted + QStringLiteral("\" %f");
}

void RegisterDocumentType(const QString& dataHome, const QString& executable) {
  if (dataHome.isEmpty()) return;
  // Whichever program runs, the package's entry wins, so a build tree's earlier one goes.
  if (PackageEntryInstalled(dataHome)) {
    RemoveOwnRegistration(dataHome);
    return;
  }
  if (IsSystemInstall(executable)) return;
  const bool entryWritten = InstallDesktopEntry(dataHome, executable);
  InstallMimeType(dataHome, entryWritten);
}

}  // namespace ruvo
