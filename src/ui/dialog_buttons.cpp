#include "ui/dialog_buttons.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "ui/dialog_units.h"

namespace ruvo {

void AddOkCancel(QDialog& dialog, const DialogUnits& units, QPoint okAt, QPoint cancelAt) {
  auto* ok = units.Place(new QPushButton(QStringLiteral("OK"), &dialog), okAt.x(), okAt.y(), 50, 14);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  auto* cancel = units.Place(new QPushButton(QStringLiteral("Cancel"), &dialog), cancelAt.x(), cancelAt.y(), 50, 14);
  cancel->setObjectName(QStringLiteral("cancelButton"));
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}

QDialogButtonBox* OkCancelBox(QDialog& dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}

void CheckButtonAt(QButtonGroup& group, int id) {
  if (QAbstractButton* button = group.button(id)) {
    button->setChecked(true);
    return;
  }
  // An exclusive group cannot be emptied, so lift exclusivity while unchecking.
  group.setExclusive(false);
  for (QAbstractButton* button : group.buttons()) button->setChecked(false);
  group.setExclusive(true);
}

}  // namespace ruvo
