#include "ui/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "ruvo_version.h"
#include "ui/app_icons.h"
#include "ui/dialog_units.h"

namespace ruvo {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Ruvo"));
  const DialogUnits units(font());
  setFixedSize(units.ToPixels(0, 0, 235, 63).size());

  auto* icon = new QLabel(this);
  icon->setPixmap(ApplicationIcon().pixmap(32, 32));
  icon->move(units.ToPixels(11, 17, 0, 0).topLeft());
  icon->resize(32, 32);
  QLabel* version = units.Place(new QLabel(QStringLiteral("Tammel Ruvo Version 2.0"), this), 40, 10, 119, 8);
  version->setObjectName(QStringLiteral("versionText"));
  // The build's version, as `ruvo --version` and the package report it.
  QLabel* build =
      units.Place(new QLabel(QStringLiteral("Build %1").arg(QLatin1String(kRuvoVersion)), this), 40, 20, 119, 8);
  build->setObjectName(QStringLiteral("buildVersionText"));
  QLabel* licence = units.Place(
      new QLabel(QStringLiteral("Free software under the GNU General Public License, version 3 or later."), this), 40,
      32, 132, 24);
  licence->setObjectName(QStringLiteral("licenceText"));
  licence->setWordWrap(true);
  auto* ok = units.Place(new QPushButton(QStringLiteral("OK"), this), 178, 7, 50, 14);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  WidenToFitTexts(*this);
}

}  // namespace ruvo
