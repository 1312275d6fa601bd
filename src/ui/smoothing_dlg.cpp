#include "ui/smoothing_dlg.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "core/message.h"
#include "core/number_text.h"
#include "desktop/field_text.h"
#include "ui/dialog_buttons.h"
#include "ui/dialog_units.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

QLineEdit* LevelBox(const DialogUnits& units, QDialog& dialog, const char* name, int y) {
  auto* box = units.Place(new QLineEdit(&dialog), 115, y, 40, 12);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

}  // namespace

CSmoothingDlg::CSmoothingDlg(QWidget* parent) : QDialog(parent), methods(new QButtonGroup(this)) {
  setWindowTitle(QStringLiteral("Smoothing Function"));
  const DialogUnits units(font());
  setFixedSize(units.ToPixels(0, 0, 186, 135).size());

  struct Method {
    const char* text;
    const char* name;
    int y;
    int width;
  };
  const Method radios[] = {{"&No Smoothing", "noSmoothing", 13, 61},
                           {"&Local Smoothing, Level", "localSmoothing", 30, 90},
                           {"Smooth &Curve, Segments", "splineSegments", 47, 92},
                           {"&Exponential Fit, Level", "exponentialFit", 64, 83}};
  // The widest text ends 4 units short of the boxes at x 115, so no text touches its box.
  int id = kNoSmoothing;
  for (const Method& method : radios) {
    auto* radio = units.Place(new QRadioButton(QString::fromLatin1(method.text), this), 19, method.y, method.width, 10);
    radio->setObjectName(QString::fromLatin1(method.name));
    methods->addButton(radio, id++);
  }
  localLevel = LevelBox(units, *this, "localLevel", 26);
  segments = LevelBox(units, *this, "segments", 43);
  fitLevel = LevelBox(units, *this, "fitLevel", 60);
  auto* declineLabel = units.Place(new QLabel(QStringLiteral("RP&M at start of decline"), this), 32, 81, 77, 8);
  declineRpm = LevelBox(units, *this, "declineRpm", 77);
  declineLabel->setBuddy(declineRpm);
  AddOkCancel(*this, units, {37, 102}, {99, 102});
  WidenToFitTexts(*this);

  connect(methods, &QButtonGroup::idClicked, this, [this] { UpdateLevelBoxes(); });
}

void CSmoothingDlg::RunSmoothingDialog(std::int32_t& method, std::int32_t& level, std::int32_t& rpm) {
  choice = SmoothingChoiceFor(method, level, rpm);
  ShowChoice();
  if (Prompts().RunModal(*this) == QDialog::Accepted) ApplySmoothingChoice(choice, method, level, rpm);
}

void CSmoothingDlg::accept() {
  SmoothingChoice taken = choice;
  taken.method = methods->checkedId();
  struct Box {
    QLineEdit* box;
    std::int32_t* value;
    const char* label;
  };
  const Box boxes[] = {{segments, &taken.segments, "Smooth Curve, Segments"},
                       {localLevel, &taken.localLevel, "Local Smoothing, Level"},
                       {fitLevel, &taken.fitLevel, "Exponential Fit, Level"},
                       {declineRpm, &taken.declineRpm, "RPM at start of decline"}};
  // A disabled box belongs to a method not chosen: its text is neither taken nor checked.
  for (const auto& [box, value, label] : boxes) {
    if (box->isEnabled() && !ParseInteger(box->text().toStdString(), *value)) {
      ShowMessage(ExpectedIntegerMessage(label));
      box->setFocus();
      box->selectAll();
      return;
    }
  }
  choice = taken;
  QDialog::accept();
}

void CSmoothingDlg::ShowChoice() {
  localLevel->setText(QString::fromStdString(FormatInteger(choice.localLevel)));
  segments->setText(QString::fromStdString(FormatInteger(choice.segments)));
  fitLevel->setText(QString::fromStdString(FormatInteger(choice.fitLevel)));
  declineRpm->setText(QString::fromStdString(FormatInteger(choice.declineRpm)));
  CheckButtonAt(*methods, choice.method);
  UpdateLevelBoxes();
}

void CSmoothingDlg::UpdateLevelBoxes() {
  const int checked = methods->checkedId();
  localLevel->setEnabled(checked == kLocalSmoothing);
  segments->setEnabled(checked == kSplineSegments);
  fitLevel->setEnabled(checked == kExponentialFit);
  declineRpm->setEnabled(checked == kExponentialFit);
}

}  // namespace ruvo
