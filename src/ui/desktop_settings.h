#pragma once

#include <QString>
#include <memory>
#include <string>

#include "core/settings.h"

class QSettings;

namespace ruvo {

// The per-user settings store of the desktop: QSettings under the organisation "Tammel Ruvo" and
// the application "Ruvo", whose groups are the sections ("Settings", "Recent File List"). Tests
// point it at a file of their own. Every write reaches the file at once, and every read sees what
// other programs wrote to it.
class DesktopSettings : public SettingsStore {
 public:
  DesktopSettings();
  explicit DesktopSettings(const QString& iniFile);
  ~DesktopSettings() override;
  DesktopSettings(const DesktopSettings&) = delete;
  DesktopSettings& operator=(const DesktopSettings&) = delete;

  std::string Read(const std::string& section, const std::string& key) const override;
  void Write(const std::string& section, const std::string& key, const std::string& value) override;

 private:
  std::unique_ptr<QSettings> settings;
};

}  // namespace ruvo
