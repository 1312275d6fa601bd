#pragma once
// The application the Application suites start: over a settings file and a data folder of its own,
// with documents written and files dropped as a user would.

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/run_document.h"
#include "core/settings.h"
#include "support/test_support.h"
#include "ui/desktop_settings.h"
#include "ui/main_frame.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_view.h"
#include "ui_support.h"

namespace ruvo::test {

using Paths = std::vector<std::string>;

// An application over a settings file and a data folder of its own.
struct AppFixture {
  // The system's data folders are one of the fixture's own, so an installed package cannot decide
  // a result.
  AppFixture() : settings(QString::fromStdString(folder.File("settings.ini"))) {
    std::filesystem::current_path(folder.Path());
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString((folder.Path() / "system").string()));
  }
  ~AppFixture() {
    if (savedDataDirs.isNull())
      qunsetenv("XDG_DATA_DIRS");
    else
      qputenv("XDG_DATA_DIRS", savedDataDirs);
  }
  AppFixture(const AppFixture&) = delete;
  AppFixture& operator=(const AppFixture&) = delete;
  // Installs or removes a package's desktop entry in the system data folder.
  void SetPackageInstalled(bool installed) {
    const std::filesystem::path entry = folder.Path() / "system/applications/ruvo.desktop";
    std::filesystem::remove(entry);
    if (!installed) return;
    std::filesystem::create_directories(entry.parent_path());
    WriteFileBytes(entry, "[Desktop Entry]\nExec=ruvo %f\n");
  }
  CRuvoApp& Start(const QStringList& arguments = {}, const QString& executable = "/opt/ruvo tools/bin/ruvo") {
    app.reset();
    app = std::make_unique<CRuvoApp>(settings, DataHome(), executable);
    started = app->InitInstance(arguments);
    // The desktop registration follows the window's first painting.
    if (started && !QTest::qWaitFor([this] { return app->RegisteredWithDesktop(); })) qFatal("never registered");
    return *app;
  }
  // Writes a run document holding the initial values with description, weight, one wave file and
  // then table.
  std::string WriteDocument(const std::filesystem::path& name,
                            const std::string& description,
                            double weight,
                            const std::string& table = "") {
    RunParameters params;
    std::tie(params.description, params.vehicleWeight, params.waveFiles) =
        std::tuple(description, weight, Paths{"take1.wav"});
    return WriteDocument(name, params, table);
  }
  // Writes a run document holding params and then table.
  std::string WriteDocument(const std::filesystem::path& name,
                            const RunParameters& params,
                            const std::string& table = "") {
    const std::filesystem::path path = folder.Path() / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    WriteRunDocument(out, params);
    out << table;
    return path.string();
  }
  Paths Recent() const {
    Paths paths;
    for (int k = 1; k <= kRecentFileCount; ++k) paths.push_back(settings.Read(kRecentFileSection, RecentFileKey(k)));
    return paths;
  }
  void Drop(const Paths& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app->Frame(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app->Frame(), &drop);
  }
  void Activate() {
    app->Frame().activateWindow();
    if (!QTest::qWaitForWindowActive(&app->Frame())) qFatal("the window did not become active");
  }
  QString DataHome() const { return QString::fromStdString(folder.File("data")); }
  std::string Entry() const { return ReadFileBytes(folder.Path() / "data/applications/ruvo.desktop"); }
  // The title as the window manager shows it: "[*]" becomes "*" while the form is modified.
  QString Caption() const { return app->Frame().windowHandle()->title(); }
  FormProbe Form() { return FormProbe(app->View()); }

  QByteArray savedDataDirs = qgetenv("XDG_DATA_DIRS");
  TempFolder folder;
  DesktopSettings settings;
  std::unique_ptr<CRuvoApp> app;
  bool started = false;
};

}  // namespace ruvo::test
