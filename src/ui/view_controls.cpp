#include "ui/view_controls.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "ui/dialog_units.h"

namespace ruvo {
namespace {

constexpr int kFormWidth = 473;  // dialog units
constexpr int kFormHeight = 195;

class FormBuilder {
 public:
  explicit FormBuilder(QWidget& formWidget) : form(formWidget), units(formWidget.font()) {}

  void Group(const char* title, int x, int y, int width, int height) {
    units.Place(new QGroupBox(QString::fromLatin1(title), &form), x, y, width, height);
  }

  void Label(const char* text, int x, int y, int width) {
    FitText(*units.Place(new QLabel(QString::fromLatin1(text), &form), x, y, width, 8));
  }

  QLineEdit* Box(const char* name, int x, int y, int width, int height) {
    auto* box = units.Place(new QLineEdit(&form), x, y, width, height);
    box->setObjectName(QString::fromLatin1(name));
    return box;
  }

  // A labelled parameter box; the label sits left of the box, starting at labelX.
  QLineEdit* Field(ViewControls& controls, const char* label, int labelX, const char* name, int x, int y, int width) {
    Label(label, labelX, y + 2, x - labelX - 2);
    QLineEdit* box = Box(name, x, y, width, 12);
    controls.fieldBoxes[name] = box;
    return box;
  }

  QPushButton* Button(const char* text, const char* name, int x, int y, int width, int height) {
    auto* button = units.Place(new QPushButton(QString::fromLatin1(text), &form), x, y, width, height);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
  }

  QRadioButton* Radio(const char* text, const char* name, int x, int y) {
    auto* radio = units.Place(new QRadioButton(QString::fromLatin1(text), &form), x, y, 100, 10);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
    FitText(*radio);
    return radio;
  }

  void SizeForm() { form.setMinimumSize(units.ToPixels(0, 0, kFormWidth, kFormHeight).size()); }

 private:
  QWidget& form;
  DialogUnits units;
};

}  // namespace

ViewControls BuildViewControls(QWidget& form) {
  ViewControls c;
  FormBuilder b(form);
  b.SizeForm();

  // Group frames first, so the controls inside lie above them.
  b.Group("Transmission and Axle", 7, 72, 115, 44);
  b.Group("Wheels and Tires", 7, 119, 115, 60);
  b.Group("Fritional Losses", 140, 40, 124, 76);
  b.Group("Estimates", 140, 119, 124, 60);
  b.Group("Calculation Mode", 281, 9, 173, 37);
  b.Group("Results", 281, 49, 174, 67);
  b.Group("Wave Files", 281, 119, 174, 60);

  b.Label("Description:", 7, 9, 60);
  QLineEdit* description = b.Box("description", 7, 22, 193, 13);
  c.fieldBoxes["description"] = description;
  c.calculateButton = b.Button("Calculate", "calculateButton", 212, 22, 50, 14);
  c.calculateButton->setDefault(true);

  QWidget* tabOrder[] = {
      description,
      b.Field(c, "Test Weight:", 10, "vehicleWeight", 85, 44, 25),
      b.Field(c, "Rev/Spark:", 10, "revsPerIgnition", 85, 56, 25),
      b.Field(c, "Final Axle Ratio:", 14, "axleRatio", 85, 84, 25),
      b.Field(c, "Test Gear Ratio:", 14, "gearRatio", 85, 97, 25),
      b.Field(c, "Wheel Diameter (in):", 12, "wheelDiameter", 85, 132, 25),
      b.Field(c, "Tire Width (mm):", 12, "tireWidth", 85, 144, 25),
      b.Field(c, "Tire Aspect Ratio (%):", 12, "tireAspectRatio", 85, 156, 25),
      b.Field(c, "Drag Coefficient:", 146, "dragCoefficient", 218, 53, 26),
      b.Field(c, "Frontal Area (sq ft):", 146, "frontalArea", 218, 66, 26),
      b.Field(c, "Rolling Coefficient:", 146, "rollingCoefficient", 218, 79, 26),
      b.Field(c, "Drivetrain Loss (%):", 146, "drivetrainLoss", 218, 92, 26),
      b.Field(c, "Initial RPM:", 146, "initialRpm", 218, 132, 26),
      b.Field(c, "Final RPM:", 146, "finalRpm", 218, 145, 26),
      b.Field(c, "Pulse Duration (%):", 146, "maxPulseLength", 218, 158, 26),
      c.newWaveName = b.Box("newWaveName", 292, 128, 113, 12),
      c.addButton = b.Button("Add", "addButton", 412, 128, 36, 14),
      c.removeButton = b.Button("Remove", "removeButton", 412, 143, 36, 14),
      c.browseButton = b.Button("Browse...", "browseButton", 412, 158, 36, 14),
      c.calculateButton,
      c.tablesButton = b.Button("Tables", "tablesButton", 307, 94, 50, 14),
      c.graphButton = b.Button("Graph", "graphButton", 384, 94, 50, 14),
      c.waveList = new QListWidget(&form),
      c.summaryLine1 = b.Box("summaryLine1", 297, 61, 140, 12),
      c.summaryLine2 = b.Box("summaryLine2", 297, 76, 140, 12),
  };
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

  c.waveList->setObjectName(QStringLiteral("waveList"));
  c.waveList->setGeometry(DialogUnits(form.font()).ToPixels(292, 142, 113, 31));
  c.waveList->setViewMode(QListView::ListMode);
  c.waveList->setFlow(QListView::LeftToRight);  // small-icon arrangement: rows that wrap
  c.waveList->setWrapping(true);
  c.waveList->setSelectionMode(QAbstractItemView::ExtendedSelection);

  c.modeGroup = new QButtonGroup(&form);
  c.modeGroup->addButton(b.Radio("Dynamometer Mode", "dynamometerMode", 303, 19), 0);
  c.modeGroup->addButton(b.Radio("Tachometer Mode", "tachometerMode", 303, 31), 1);
  return c;
}

}  // namespace ruvo
