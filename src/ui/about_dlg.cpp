#include "ui/about_dlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ruvo_version.h"
#include "ui/app_icons.h"
#include "ui/dialog_buttons.h"

namespace ruvo {
namespace {

constexpr int kIconPixels = 32;
constexpr int kLicenceChars = 42;  // average characters on a line of the licence text

QLabel* TextLabel(QDialog& dialog, const QString& text, const char* name) {
  auto* label = new QLabel(text, &dialog);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("About Ruvo"));
  auto* icon = new QLabel(this);
  icon->setPixmap(ApplicationIcon().pixmap(kIconPixels, kIconPixels));
  QLabel* version = TextLabel(*this, tr("Tammel Ruvo Version 2.0"), "versionText");
  // The build's version, as `ruvo --version` and the package report it.
  QLabel* build = TextLabel(*this, tr("Build %1").arg(QLatin1String(kRuvoVersion)), "buildVersionText");
  QLabel* licence =
      TextLabel(*this, tr("Free software under the GNU General Public License, version 3 or later."), "licenceText");
  licence->setWordWrap(true);
  licence->setMinimumWidth(licence->fontMetrics().averageCharWidth() * kLicenceChars);
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  // The texts in a column, the licence half a line below the versions; the icon at their middle.
  auto* texts = new QVBoxLayout;
  texts->addWidget(version);
  texts->addWidget(build);
  texts->addSpacing(fontMetrics().height() / 2);
  texts->addWidget(licence);
  QGridLayout* grid = FixedGrid(*this);
  grid->setHorizontalSpacing(2 * grid->horizontalSpacing());
  grid->addWidget(icon, 0, 0, Qt::AlignVCenter);
  grid->addLayout(texts, 0, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
}

}  // namespace ruvo
