#include "ui/desktop_settings.h"

#include <QSettings>

namespace ruvo {
namespace {

QString SettingsKey(const std::string& section, const std::string& key) {
  return QString::fromStdString(section + '/' + key);
}

}  // namespace

DesktopSettings::DesktopSettings()
    : settings(std::make_unique<QSettings>(QStringLiteral("Tammel Ruvo"), QStringLiteral("Ruvo"))) {}

DesktopSettings::DesktopSettings(const QString& iniFile)
    : settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

DesktopSettings::~DesktopSettings() = default;

std::string DesktopSettings::Read(const std::string& section, const std::string& key) const {
  settings->sync();  // takes up what another Ruvo program (ruvo-plot) wrote; a stat when nothing did
  return settings->value(SettingsKey(section, key)).toString().toStdString();
}

void DesktopSettings::Write(const std::string& section, const std::string& key, const std::string& value) {
  settings->setValue(SettingsKey(section, key), QString::fromStdString(value));
  settings->sync();
}

}  // namespace ruvo
