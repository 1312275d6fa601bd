#pragma once

#include <QDialog>

namespace ruvo {

// The modal "About Ruvo" box: the application icon, the version line, the build's version, the
// licence and OK.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace ruvo
