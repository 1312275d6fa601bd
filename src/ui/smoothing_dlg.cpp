#include "ui/smoothing_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>

#include "core/message.h"
#include "core/number_text.h"
#include "desktop/field_text.h"
#include "ui/dialog_buttons.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

constexpr int kLevelBoxDigits = 8;   // digits a level box shows whole: any rpm with room to spare
constexpr int kLineEditMargins = 4;  // pixels a line edit keeps between its frame and its text

QLineEdit* LevelBox(QDialog& dialog, const char* name) {
  auto* box = new QLineEdit(&dialog);
  box->setObjectName(QString::fromLatin1(name));
  const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
  box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(kLevelBoxDigits, u'0')) + 2 * frame +
                     kLineEditMargins);
  return box;
}

}  // namespace

CSmoothingDlg::CSmoothingDlg(QWidget* parent) : QDialog(parent), methods(new QButtonGroup(this)) {
  setWindowTitle(tr("Smoothing Function"));
  QGridLayout* grid = FixedGrid(*this);
  grid->setColumnMinimumWidth(0, style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth));

  struct Method {
    QString text;
    const char* name;
  };
  const Method radios[] = {{tr("&No Smoothing"), "noSmoothing"},
                           {tr("&Local Smoothing, Level"), "localSmoothing"},
                           {tr("Smooth &Curve, Segments"), "splineSegments"},
                           {tr("&Exponential Fit, Level"), "exponentialFit"}};
  int id = kNoSmoothing;
  for (const Method& method : radios) {
    auto* radio = new QRadioButton(method.text, this);
    radio->setObjectName(QString::fromLatin1(method.name));
    grid->addWidget(radio, id, 0, 1, 2);
    methods->addButton(radio, id++);
  }
  localLevel = LevelBox(*this, "localLevel");
  segments = LevelBox(*this, "segments");
  fitLevel = LevelBox(*this, "fitLevel");
  // The decline rpm belongs to the exponential fit: its label is indented under that method.
  auto* declineLabel = new QLabel(tr("RP&M at start of decline"), this);
  declineRpm = LevelBox(*this, "declineRpm");
  declineLabel->setBuddy(declineRpm);
  grid->addWidget(localLevel, kLocalSmoothing, 2);
  grid->addWidget(segments, kSplineSegments, 2);
  grid->addWidget(fitLevel, kExponentialFit, 2);
  grid->addWidget(declineLabel, kExponentialFit + 1, 1);
  grid->addWidget(declineRpm, kExponentialFit + 1, 2);
  // The buttons, centred, half a line below the boxes: a taller row whose buttons keep to its bottom.
  QDialogButtonBox* buttons = OkCancelBox(*this);
  buttons->setCenterButtons(true);
  grid->addWidget(buttons, kExponentialFit + 2, 0, 1, 3, Qt::AlignBottom);
  grid->setRowMinimumHeight(kExponentialFit + 2, buttons->sizeHint().height() + fontMetrics().height() / 2);

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
    QString label;
  };
  const Box boxes[] = {{segments, &taken.segments, tr("Smooth Curve, Segments")},
                       {localLevel, &taken.localLevel, tr("Local Smoothing, Level")},
                       {fitLevel, &taken.fitLevel, tr("Exponential Fit, Level")},
                       {declineRpm, &taken.declineRpm, tr("RPM at start of decline")}};
  // A disabled box belongs to a method not chosen: its text is neither taken nor checked.
  for (const auto& [box, value, label] : boxes) {
    if (box->isEnabled() && !ParseInteger(box->text().toStdString(), *value)) {
      ShowMessage(ExpectedIntegerMessage(label.toStdString()));
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
