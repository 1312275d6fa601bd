#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "core/settings.h"
#include "desktop/tool_command.h"

class QLineEdit;

namespace ruvo {

// The modal "Application tools setup" dialog: the command lines of the five external tools.
// It starts from the default commands (for each tool the first whose program is installed),
// replaced by every stored one that is not empty; OK stores
// all five boxes as typed (any text, the empty text included), Cancel stores nothing.
class CToolSetupDlg : public QDialog {
  Q_OBJECT

 public:
  CToolSetupDlg(SettingsStore& store, QWidget* parent = nullptr);

  void accept() override;

 private:
  // Lets the user pick the program of tool n (0 to 4); its full path, quoted when it holds a
  // blank, replaces that box's text.
  void BrowseTool(std::size_t n);

  SettingsStore& settings;
  std::array<QLineEdit*, kTools.size()> boxes{};
};

}  // namespace ruvo
