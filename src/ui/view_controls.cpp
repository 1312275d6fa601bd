#include "ui/view_controls.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyledItemDelegate>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "desktop/form_fields.h"
#include "ui/findings_button.h"

namespace ruvo {
namespace {

// The widest texts the boxes must show whole: a number of ten characters, and the summary lines
// with every number at its widest usual size.
const QStringList kWidestNumber = {QStringLiteral("-12345.678")};
const QStringList kWidestSummaries = {
    QStringLiteral("        Max HP:9999.9 hp @ 10000 rpm"), QStringLiteral("  Max Torque:9999.9 ft-lb @ 10000 rpm"),
    QStringLiteral(" RPM range:  9999.9  to  9999.9"), QStringLiteral("Max Speed: 999.9 mph, Max Accel: 9.999g")};
constexpr int kLineEditTextMargin = 2;  // pixels Qt keeps on either side of a line edit's text
constexpr int kLastRow = 9;             // an empty row below every group's controls

// A box as wide as the widest of its sample texts in its current font, so the texts show whole
// at any font size.
class SampleWideBox : public QLineEdit {
 public:
  SampleWideBox(QWidget* parent, QStringList widest) : QLineEdit(parent), samples(std::move(widest)) {}

  QSize sizeHint() const override { return minimumSizeHint(); }
  QSize minimumSizeHint() const override {
    const QFontMetrics metrics(font());
    int text = 0;
    for (const QString& sample : samples) text = std::max(text, metrics.horizontalAdvance(sample));
    const QMargins margins = textMargins() + contentsMargins();
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QSize contents(text + 2 * kLineEditTextMargin + margins.left() + margins.right() + 1,
                         QLineEdit::minimumSizeHint().height());
    return {style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, this).width(),
            QLineEdit::minimumSizeHint().height()};
  }

 private:
  QStringList samples;
};

// Paints the wave list's names no wider than the list, shortened in the middle.
class WaveItemDelegate : public QStyledItemDelegate {
 public:
  explicit WaveItemDelegate(QListWidget& owner) : QStyledItemDelegate(&owner), list(owner) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(std::min(size.width(), list.viewport()->width() - 2 * list.spacing()));
    return size;
  }

 private:
  QListWidget& list;
};

// The form's texts, marked with QT_TRANSLATE_NOOP in this context where they are given.
QString Translated(const char* text) {
  return QCoreApplication::translate("ruvo::ViewControls", text);
}

class FormBuilder {
 public:
  explicit FormBuilder(QWidget& formWidget) : form(formWidget) {}

  // A group box whose grid keeps its rows at the top when the group grows.
  QGroupBox* Group(const char* title, QGridLayout*& inside) {
    auto* group = new QGroupBox(Translated(title), &form);
    inside = new QGridLayout(group);
    inside->setRowStretch(kLastRow, 1);
    return group;
  }

  // A text box; with samples, one as wide as the widest of them.
  QLineEdit* Box(const char* name, const QStringList& samples = {}) {
    QLineEdit* box = samples.isEmpty() ? new QLineEdit(&form) : new SampleWideBox(&form, samples);
    box->setObjectName(QString::fromLatin1(name));
    return box;
  }

  // The box of a run parameter with its label to the left, on row of grid.
  QLineEdit* Field(ViewControls& controls, QGridLayout& grid, int row, const char* name) {
    const FormField* field = nullptr;
    for (const FormField& candidate : FormFields())
      if (std::string_view(candidate.objectName) == name) field = &candidate;
    QLineEdit* box = Box(name, kWidestNumber);
    auto* label = new QLabel(Translated(field->label), &form);
    label->setBuddy(box);
    grid.addWidget(label, row, 0);
    grid.addWidget(box, row, 1);
    controls.fieldBoxes[name] = box;
    return box;
  }

  QPushButton* Button(const char* text, const char* name) {
    auto* button = new QPushButton(Translated(text), &form);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
  }

  QRadioButton* Radio(const char* text, const char* name) {
    auto* radio = new QRadioButton(Translated(text), &form);
    radio->setObjectName(QString::fromLatin1(name));
    return radio;
  }

 private:
  QWidget& form;
};

}  // namespace

void AddWaveItem(QListWidget& list, const QString& name) {
  auto* item = new QListWidgetItem(name, &list);
  item->setToolTip(name);
}

ViewControls BuildViewControls(QWidget& form) {
  ViewControls c;
  FormBuilder b(form);
  auto* grid = new QGridLayout(&form);

  // Top left: the description and Calculate.
  auto* top = new QGridLayout;
  QLineEdit* description = b.Box("description");
  c.fieldBoxes["description"] = description;
  auto* descriptionLabel = new QLabel(Translated(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Description:")), &form);
  descriptionLabel->setBuddy(description);
  c.calculateButton = b.Button(QT_TRANSLATE_NOOP("ruvo::ViewControls", "&Calculate"), "calculateButton");
  c.calculateButton->setDefault(true);
  top->addWidget(descriptionLabel, 1, 0);
  top->addWidget(description, 2, 0);
  top->addWidget(c.calculateButton, 2, 1);
  top->setColumnStretch(0, 1);
  // The mode group beside is taller: the room it leaves goes above the label, which stays on its box.
  top->setRowStretch(0, 1);
  top->setVerticalSpacing(2);
  grid->addLayout(top, 0, 0, 1, 2);

  QGridLayout* inside = nullptr;
  QGroupBox* mode = b.Group(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Calculation Mode"), inside);
  QRadioButton* dynamometer = b.Radio(QT_TRANSLATE_NOOP("ruvo::ViewControls", "&Dynamometer Mode"), "dynamometerMode");
  QRadioButton* tachometer = b.Radio(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Tachometer M&ode"), "tachometerMode");
  inside->addWidget(dynamometer, 0, 0);
  inside->addWidget(tachometer, 1, 0);
  grid->addWidget(mode, 0, 2);

  // Left column: weight and revolutions per spark, then the drivetrain and the wheels.
  auto* left = new QGridLayout;
  QLineEdit* weight = b.Field(c, *left, 0, "vehicleWeight");
  QLineEdit* revs = b.Field(c, *left, 1, "revsPerIgnition");
  QGroupBox* transmission = b.Group(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Transmission and Axle"), inside);
  QLineEdit* axle = b.Field(c, *inside, 0, "axleRatio");
  QLineEdit* gear = b.Field(c, *inside, 1, "gearRatio");
  left->addWidget(transmission, 2, 0, 1, 2);
  left->setRowStretch(3, 1);
  grid->addLayout(left, 1, 0);
  QGroupBox* wheels = b.Group(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Wheels and Tires"), inside);
  QLineEdit* diameter = b.Field(c, *inside, 0, "wheelDiameter");
  QLineEdit* width = b.Field(c, *inside, 1, "tireWidth");
  QLineEdit* aspect = b.Field(c, *inside, 2, "tireAspectRatio");
  grid->addWidget(wheels, 2, 0);

  // Middle column.
  QGroupBox* losses = b.Group(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Frictional Losses"), inside);
  QLineEdit* drag = b.Field(c, *inside, 0, "dragCoefficient");
  QLineEdit* area = b.Field(c, *inside, 1, "frontalArea");
  QLineEdit* rolling = b.Field(c, *inside, 2, "rollingCoefficient");
  QLineEdit* drivetrain = b.Field(c, *inside, 3, "drivetrainLoss");
  grid->addWidget(losses, 1, 1);
  QGroupBox* estimates = b.Group(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Estimates"), inside);
  QLineEdit* initial = b.Field(c, *inside, 0, "initialRpm");
  QLineEdit* final = b.Field(c, *inside, 1, "finalRpm");
  QLineEdit* pulse = b.Field(c, *inside, 2, "maxPulseLength");
  grid->addWidget(estimates, 2, 1);

  // Right column: results and wave files.
  c.resultsGroup = b.Group(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Results"), inside);
  c.resultsGroup->setObjectName(QStringLiteral("resultsGroup"));
  c.summaryLine1 = b.Box("summaryLine1", kWidestSummaries);
  c.summaryLine2 = b.Box("summaryLine2", kWidestSummaries);
  c.tablesButton = b.Button(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Ta&bles"), "tablesButton");
  c.graphButton = b.Button(QT_TRANSLATE_NOOP("ruvo::ViewControls", "&Graph"), "graphButton");
  inside->addWidget(c.summaryLine1, 0, 0, 1, 2);
  inside->addWidget(c.summaryLine2, 1, 0, 1, 2);
  inside->addWidget(c.tablesButton, 2, 0);
  inside->addWidget(c.graphButton, 2, 1);
  c.findings = new FindingsButton(c.resultsGroup);
  inside->addWidget(c.findings, 3, 0, 1, 2);
  grid->addWidget(c.resultsGroup, 1, 2);

  QGroupBox* waves = b.Group(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Wave Files"), inside);
  c.newWaveName = b.Box("newWaveName");
  c.waveList = new QListWidget(&form);
  c.waveList->setObjectName(QStringLiteral("waveList"));
  c.addButton = b.Button(QT_TRANSLATE_NOOP("ruvo::ViewControls", "&Add"), "addButton");
  c.removeButton = b.Button(QT_TRANSLATE_NOOP("ruvo::ViewControls", "&Remove"), "removeButton");
  c.browseButton = b.Button(QT_TRANSLATE_NOOP("ruvo::ViewControls", "Bro&wse..."), "browseButton");
  inside->addWidget(c.newWaveName, 0, 0);
  inside->addWidget(c.addButton, 0, 1);
  inside->addWidget(c.waveList, 1, 0, kLastRow, 1);
  inside->addWidget(c.removeButton, 1, 1);
  inside->addWidget(c.browseButton, 2, 1);
  grid->addWidget(waves, 2, 2);

  // The right column and the wave list take what the window adds.
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(2, 1);

  QWidget* tabOrder[] = {
      description, weight,         revs,          axle,           gear,           diameter,          width,
      aspect,      drag,           area,          rolling,        drivetrain,     initial,           final,
      pulse,       c.newWaveName,  c.addButton,   c.removeButton, c.browseButton, c.calculateButton, dynamometer,
      tachometer,  c.tablesButton, c.graphButton, c.findings,     c.waveList,     c.summaryLine1,    c.summaryLine2};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

  c.waveList->setViewMode(QListView::ListMode);
  c.waveList->setFlow(QListView::LeftToRight);  // small-icon arrangement: rows that wrap
  c.waveList->setWrapping(true);
  c.waveList->setResizeMode(QListView::Adjust);
  c.waveList->setTextElideMode(Qt::ElideMiddle);
  c.waveList->setItemDelegate(new WaveItemDelegate(*c.waveList));
  c.waveList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The list takes the height the rest of the form gives its row, and at least three names.
  c.waveList->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  c.waveList->setMinimumHeight(4 * QFontMetrics(form.font()).height());

  c.modeGroup = new QButtonGroup(&form);
  c.modeGroup->addButton(dynamometer, 0);
  c.modeGroup->addButton(tachometer, 1);
  return c;
}

}  // namespace ruvo
