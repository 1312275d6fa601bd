#include "ui/dialog_buttons.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>

namespace ruvo {

QDialogButtonBox* OkCancelBox(QDialog& dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName(QStringLiteral("okButton"));
  // Set now, not when the box is first shown, so Enter means OK from the start.
  ok->setDefault(true);
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

QGridLayout* FixedGrid(QDialog& dialog) {
  auto* grid = new QGridLayout(&dialog);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  const int margin = dialog.fontMetrics().height();
  grid->setContentsMargins(margin, margin, margin, margin);
  return grid;
}

}  // namespace ruvo
