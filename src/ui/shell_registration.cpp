#include "ui/shell_registration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

#include "ui/app_icons.h"

namespace ruvo {
namespace {

constexpr int kIconSide = 64;  // pixels

const char kMimeXml[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-ruvo-data">
    <comment>Ruvo Data</comment>
    <glob pattern="*.dat"/>
    <icon name="application-x-ruvo-data"/>
  </mime-type>
</mime-info>
)";

bool WriteNewFile(const QString& path, const QByteArray& bytes) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(bytes) == bytes.size();
}

// True when some type other than ours already claims "*.dat".
bool DatBelongsToAnotherType() {
  for (const QMimeType& type : QMimeDatabase().mimeTypesForFileName(QStringLiteral("document.dat")))
    if (type.name() != QLatin1String(kDocumentMimeType)) return true;
  return false;
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

void InstallMimeType(const QString& dataHome) {
  const QString mimeFolder = dataHome + QStringLiteral("/mime");
  const QString package = mimeFolder + QStringLiteral("/packages/ruvo-data.xml");
  if (QFileInfo::exists(package) || DatBelongsToAnotherType()) return;
  QDir().mkpath(dataHome + QStringLiteral("/icons/hicolor/64x64/mimetypes"));
  DocumentIcon()
      .pixmap(kIconSide, kIconSide)
      .save(dataHome + QStringLiteral("/icons/hicolor/64x64/mimetypes/application-x-ruvo-data.png"));
  if (WriteNewFile(package, kMimeXml)) RefreshCache("update-mime-database", mimeFolder);
}

void InstallDesktopEntry(const QString& dataHome, const QString& executable) {
  const QString applications = dataHome + QStringLiteral("/applications");
  const QString entry = applications + QStringLiteral("/ruvo.desktop");
  if (QFileInfo::exists(entry)) return;
  const QString text = QStringLiteral(
                           "[Desktop Entry]\n"
                           "Type=Application\n"
                           "Name=Ruvo\n"
                           "Comment=Dynamometer that works from engine sound\n"
                           "Exec=%1\n"
                           "Icon=ruvo\n"
                           "MimeType=%2;\n"
                           "Terminal=false\n"
                           "Categories=Science;Engineering;\n")
                           .arg(DesktopExecLine(executable), QLatin1String(kDocumentMimeType));
  QDir().mkpath(dataHome + QStringLiteral("/icons/hicolor/64x64/apps"));
  ApplicationIcon().pixmap(kIconSide, kIconSide).save(dataHome + QStringLiteral("/icons/hicolor/64x64/apps/ruvo.png"));
  if (WriteNewFile(entry, text.toUtf8())) RefreshCache("update-desktop-database", applications);
}

}  // namespace

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
  InstallMimeType(dataHome);
  InstallDesktopEntry(dataHome, executable);
}

}  // namespace ruvo
