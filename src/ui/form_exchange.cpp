#include "ui/form_exchange.h"

#include <QButtonGroup>
#include <QLineEdit>

#include "core/message.h"
#include "desktop/form_fields.h"
#include "ui/dialog_buttons.h"

namespace ruvo {

void ShowHeldValues(const ViewControls& controls,
                    const RunParameters& params,
                    const std::string& summaryLine1,
                    const std::string& summaryLine2) {
  for (const FormField& field : FormFields())
    controls.fieldBoxes.at(field.objectName)->setText(QString::fromStdString(ShowField(field, params)));
  controls.summaryLine1->setText(QString::fromStdString(summaryLine1));
  controls.summaryLine2->setText(QString::fromStdString(summaryLine2));
  CheckButtonAt(*controls.modeGroup, params.calculationMode);
}

bool TakeEntries(const ViewControls& controls, RunParameters& params) {
  for (const FormField& field : FormFields()) {
    QLineEdit* box = controls.fieldBoxes.at(field.objectName);
    const std::string message = TakeField(field, box->text().toStdString(), params);
    if (!message.empty()) {
      ShowMessage(message);
      box->setFocus();
      box->selectAll();
      return false;
    }
  }
  params.calculationMode = controls.modeGroup->checkedId();
  return true;
}

}  // namespace ruvo
